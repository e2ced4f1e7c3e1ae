#pragma once

#include "filelist/FileList.h"
#include "filelist/Reordering.h"
#include "import/WorkDatabaseSource.h"
#include "spreadsheet/SpreadsheetApplication.h"
#include "ui/Desktop.h"

#include "filelist/AddFolder.h"

#include <QCursor>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <optional>

class Desktop;
class FailedFilesWindow;
struct ImportResult;
class ReportingProcedure;
class Dialogs;
class SettingsStore;
class OptionButton;
class QCheckBox;
class LockableCheckBox;
class OptionFrame;
class QDropEvent;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QTreeView;

// What the main window works with outside itself; tests pass their own.
struct ShellServices {
    Dialogs& dialogs;
    Desktop& desktop;
    SettingsStore& settings;
    SpreadsheetApplications& spreadsheets;
    // The folder that holds the program and the files delivered beside it.
    QString programFolder;
};

// The main window: every control of the importer and the handlers of their events. Handlers
// stay thin and forward to the logic of the file list and the import.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    explicit Form1(ShellServices services, QWidget* parent = nullptr);

    // Prepares the window before it is first shown; every failing step is reported and skipped.
    void Form_Load();

    // The window's pointer: 0 default, 11 hourglass, 99 the hand of the mouse icon.
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    // Whether a hand picture was loaded at start-up.
    bool hasMouseIcon() const { return m_mouseIcon.has_value(); }

    // Whether an import run is under way; the list, the options and the check boxes cannot
    // change meanwhile.
    bool runUnderway() const { return m_runUnderway; }
    // Whether the window was closed while a run was under way.
    bool closeRequested() const { return m_closeRequested; }
    // Whether the user asked the run under way to stop, with the start button.
    bool stopRequested() const { return m_stopRequested; }
    // The progress bar's value as the run set it, 0 to 100.
    double progress() const { return m_progress; }
    void setProgress(double percent);
    // What the run under way is doing ("file 3 of 200"), shown in the title; "" for none.
    void setRunStage(const QString& stage);

    // The files to import, in order.
    FileList& fileList() { return m_fileList; }
    // Adds the paths the program was started with, as a file manager's "Open with" gives
    // them, in order and as a drop would: a folder brings every file of its tree. Paths that
    // do not exist are told in one message and left out; the rest are added.
    void addStartingPaths(const QStringList& paths);

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton8_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void JoinTablesBox_Click();
    // The box counts only on the route through the work database, and not during a run.
    void enableJoinTablesBox();
    void SummarySheetBox_Click();

    void ListView1_KeyDown(int keyCode);
    void ListView1_DblClick();
    void ListView1_ItemClick(int position);
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QMouseEvent& event);
    void ListView1_MouseUp();
    void ListView1_OLEDragOver(QDropEvent& event);
    void ListView1_OLEDragDrop(QDropEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    // The parts of the window, made in the order that the tab key follows.
    void createButtons();
    void createFileList();
    void createOptionFrames();
    void createSummarySheetBox();
    void createProgressBar();
    void connectHandlers();
    void ApplySkin();
    void CenterForm(QWidget& window);
    void loadMouseIcon();
    void setUpListColumn();
    void CheckExcelInstalled();
    void restoreOption(OptionFrame* frame, OptionButton* button, const QString& key,
                       const QString& defaultText);
    void saveOptionPair(OptionFrame* frame, const QString& upperKey, const QString& lowerKey);
    QString besideProgram(const QString& name) const;
    bool listViewEvent(QEvent* event);
    // The position of the list's selected row; 0 when none is selected.
    int selectedPosition() const;
    void selectAndShow(int position);
    void moveSelectedRow(int (*moveRow)(FileList&, int));
    // Runs the import with the list and the options; the start button stops it meanwhile.
    void runImport();
    // Lists the files of a run that were not imported, when there are any.
    void showFailedFiles(const ImportResult& result);
    void reportWalkProblems(const WalkProblems& problems, ReportingProcedure* procedure,
                            int stepNumber);

    Dialogs& m_dialogs;
    Desktop& m_desktop;
    SettingsStore& m_settings;
    SpreadsheetApplications& m_spreadsheets;
    QString m_programFolder;
    WorkDatabaseChoice m_workDatabase;

    FileList m_fileList;
    RowDrag m_rowDrag{m_fileList};

    int m_mousePointer = 0;
    bool m_runUnderway = false;
    bool m_closeRequested = false;
    bool m_stopRequested = false;
    double m_progress = 0;
    std::optional<QCursor> m_mouseIcon;
    // The list's pointer while a row is dragged, loaded at the first click on a row.
    std::optional<QCursor> m_dragPointer;
    // The pointer that a move over each watched control chooses.
    QHash<QObject*, int> m_pointerOnMove;

    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QTreeView* ListView1 = nullptr;
    OptionFrame* Frame1 = nullptr;
    OptionFrame* Frame2 = nullptr;
    OptionButton* Option1 = nullptr;
    OptionButton* Option2 = nullptr;
    OptionButton* Option3 = nullptr;
    OptionButton* Option4 = nullptr;
    // Merged, folded tables on the route through the work database.
    QCheckBox* JoinTablesBox = nullptr;
    // A first sheet that sums the run up, on either route.
    LockableCheckBox* SummarySheetBox = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // The files the last run could not import; replaced by the next run's list.
    QPointer<FailedFilesWindow> m_failedFiles;
};
