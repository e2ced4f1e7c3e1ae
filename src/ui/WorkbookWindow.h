#pragma once

#include <QMainWindow>
#include <QStringList>

#include <memory>

class CellBar;
class Desktop;
class Dialogs;
class EngineInstance;
class FindBar;
class QTabBar;
class QTableView;
class SheetList;
class SheetTableModel;
class Workbook;

// A visible instance of the spreadsheet engine: its active workbook in a grid with one tab per
// sheet and a list of the sheets to pick from by name, the selected cell whole above the grid,
// saved as .xlsx on request. Ctrl+C copies the selection as tab-separated text, Ctrl+F finds a
// text in the sheet or in all sheets. It keeps its instance running until the user closes it,
// and asks whether to save a workbook that changed since it was saved.
class WorkbookWindow final : public QMainWindow {
    Q_OBJECT
public:
    // Without dialogs or a desktop of the caller's, the window uses the real ones.
    WorkbookWindow(std::shared_ptr<EngineInstance> instance, Dialogs* dialogs = nullptr,
                   Desktop* desktop = nullptr, QWidget* parent = nullptr);
    ~WorkbookWindow() override;

    // Asks for a file name and saves the workbook there; false when cancelled or failed.
    bool saveAs();
    // Saves a copy in the temporary folder and hands it to the desktop's spreadsheet
    // application.
    void openInSpreadsheetApplication();

    // Shows the workbook's sheets as they stand now.
    void refresh();

    // Puts the selected cells on the clipboard as tab-separated text.
    void copySelection();
    // Selects the next cell holding the find bar's text; false when no cell holds it.
    bool findNext();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Workbook* workbook() const;
    void showSheet(int index);
    void showCurrentCell();
    void selectCell(int row, int column);
    void showError(const QString& text);

    std::shared_ptr<EngineInstance> m_instance;
    std::unique_ptr<Dialogs> m_ownDialogs;
    std::unique_ptr<Desktop> m_ownDesktop;
    Dialogs& m_dialogs;
    Desktop& m_desktop;
    QTabBar* m_tabs;
    QTableView* m_grid;
    CellBar* m_cellBar;
    FindBar* m_findBar;
    SheetList* m_sheetList;
    std::unique_ptr<SheetTableModel> m_model;
    quint64 m_shownRevision = 0;
    QStringList m_shownNames;
};
