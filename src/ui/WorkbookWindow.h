#pragma once

#include "ui/GridPlace.h"

#include <QMainWindow>
#include <QStringList>

#include <atomic>
#include <memory>

class CellBar;
class Desktop;
class Dialogs;
class EngineInstance;
class FindBar;
class QAction;
class QLabel;
class QTimer;
class SelectionSummary;
class SettingsStore;
class SheetGrid;
class SheetList;
class SheetTabs;
class SheetTableModel;
class Workbook;
class Worksheet;

// A visible instance of the spreadsheet engine: its active workbook in a grid with one tab per
// sheet and a list of the sheets to pick from by name, the selected cell whole above the grid,
// a status line with the count, sum and average of the selection, saved as .xlsx on request.
// Ctrl+C copies the selection as tab-separated text, Ctrl+F finds a text in the sheet or in all
// sheets, Ctrl+G goes to a cell typed, Ctrl+Page Down and Ctrl+Page Up show the next and the
// previous sheet, Ctrl+S saves; the top row of each sheet can be frozen; a click on a link shows
// the place it leads to.
// It keeps its instance running until the user closes it, and asks whether to save a workbook that
// changed since it was saved.
class WorkbookWindow final : public QMainWindow {
    Q_OBJECT
public:
    // Without dialogs or a desktop of the caller's, the window uses the real ones.
    WorkbookWindow(std::shared_ptr<EngineInstance> instance, Dialogs* dialogs = nullptr,
                   Desktop* desktop = nullptr, QWidget* parent = nullptr);
    ~WorkbookWindow() override;

    // Where Save As starts: the folder last saved to, which `settings` keeps for the user when
    // given, or else `firstFolder` (the folder of the first imported file), or else home.
    void setSaveFolders(SettingsStore* settings, const QString& firstFolder);
    // Asks for a file name and saves the workbook there, the window painting meanwhile; false
    // when cancelled or failed. The window then bears the file's name.
    bool saveAs();
    // Saves the workbook in the file it was last saved as, or asks for one as saveAs does.
    bool save();
    // Saves a copy in the temporary folder and hands it to the desktop's spreadsheet
    // application.
    void openInSpreadsheetApplication();

    // Shows the workbook's sheets as they stand now.
    void refresh();

    // Puts the selected cells on the clipboard as tab-separated text. A large selection's text
    // is made on a thread of its own and reaches the clipboard when ready; a later copy
    // replaces one still being made.
    void copySelection();
    // Selects the next cell holding the find bar's text; false when no cell holds it.
    bool findNext();
    // Keeps the top row of the sheet shown in view while the rest scrolls; each sheet keeps
    // its own choice, and the saved file keeps it too.
    void freezeTopRow(bool frozen);
    // Asks for a cell reference, "B12" or "Sheet2!C3", and selects that cell; says so plainly
    // when the text names no cell of the workbook.
    void goToTypedCell();
    // Shows the sheet `step` tabs after the one shown (before, when negative), if there is one.
    void showNeighbourSheet(int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The parts the constructor makes: the tool bar, the layout of the views, the window's keys,
    // and what each view's signals do.
    void createToolBar();
    void layOut();
    void createKeys();
    void connectViews();
    Workbook* workbook() const;
    void showSheet(int index);
    void showCurrentCell();
    // Gives the grid's columns the sheet's widths.
    void showColumnWidths(const Worksheet& sheet);
    // Sets the width of a column by hand to what the rows in view show.
    void fitColumnToRowsInView(int column);
    // The sheet shown, to change how it is viewed; none while no sheet is shown.
    Worksheet* shownSheet();
    void selectCell(int row, int column);
    // Shows the place the link of a cell of the shown sheet leads to, or says in the status line
    // that its sheet is gone.
    void followLink(int row, int column);
    void showError(const QString& text);
    // Counts the selection anew for the status line, a slice at a time.
    void summarizeSelection();
    void summarizeSlice();
    void takeCopiedText();
    // Saves on a thread of its own behind a progress dialog that keeps the application's other
    // windows from changing the workbook meanwhile; gives the cells left out.
    QStringList saveWhilePainting(const Workbook& book, const QString& path);
    // Saves the workbook as `path` and notes it saved there; says what went wrong otherwise.
    bool saveTo(Workbook& book, const QString& path);
    // Names the window after its workbook.
    void showTitle();

    std::shared_ptr<EngineInstance> m_instance;
    std::unique_ptr<Dialogs> m_ownDialogs;
    std::unique_ptr<Desktop> m_ownDesktop;
    Dialogs& m_dialogs;
    Desktop& m_desktop;
    SheetTabs* m_tabs;
    SheetGrid* m_grid;
    CellBar* m_cellBar;
    FindBar* m_findBar;
    SheetList* m_sheetList;
    std::unique_ptr<SheetTableModel> m_model;
    SheetPlaces m_places;
    quint64 m_shownRevision = 0;
    QStringList m_shownNames;
    QLabel* m_status;
    QAction* m_freezeTopRow;
    std::unique_ptr<SelectionSummary> m_summary;
    // While the window itself sizes the columns, which the user did not.
    bool m_settingWidths = false;
    // A text being made on another thread; a newer copy replaces it, and the window takes it
    // when done.
    struct BackgroundText {
        QString text;
        std::atomic<bool> done = false;
    };
    std::shared_ptr<BackgroundText> m_copying;
    QTimer* m_summaryTurn;
    QTimer* m_copyWatch;
    SettingsStore* m_settings = nullptr;
    QString m_firstFolder;
};
