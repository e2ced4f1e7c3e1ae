#include "ui/WorkbookWindow.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/RunWorkspace.h"
#include "base/SettingsStore.h"
#include "base/TempFolder.h"
#include "base/WorkOnThread.h"
#include "sheet/CellAddress.h"
#include "sheet/CellSearch.h"
#include "sheet/CellsAsText.h"
#include "sheet/ColumnWidths.h"
#include "sheet/LinkFollowing.h"
#include "sheet/SelectionSummary.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "ui/CellBar.h"
#include "ui/ColumnFitting.h"
#include "ui/FindBar.h"
#include "ui/GridPlace.h"
#include "ui/GridSelection.h"
#include "ui/SheetGrid.h"
#include "ui/SheetList.h"
#include "ui/SheetTableModel.h"
#include "ui/SheetTabs.h"
#include "ui/StatusNumber.h"
#include "ui/SystemDesktop.h"
#include "ui/WidgetDialogs.h"
#include "xlsx/XlsxSaving.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

namespace {
// How often the window looks for changes that a later import made to its workbook.
constexpr int kRefreshIntervalMs = 500;
// Cells the status line counts between two turns of the event loop: a few milliseconds' work.
constexpr std::int64_t kSummarySlice = 200000;
// A selection of more cells than this is made into text away from the window's thread.
constexpr std::int64_t kCopiedInPlace = 100000;
const QString kLastSaveFolderKey = QStringLiteral("LastSaveFolder");

// The name of a file the workbook is saved as, without its extension: its own file's, or its
// name while it has none.
QString fileStem(const Workbook& book) {
    return book.filePath().isEmpty() ? book.name() : QFileInfo(book.filePath()).completeBaseName();
}
} // namespace

WorkbookWindow::WorkbookWindow(std::shared_ptr<EngineInstance> instance, Dialogs* dialogs,
                               Desktop* desktop, QWidget* parent)
    : QMainWindow(parent), m_instance(std::move(instance)),
      m_ownDialogs(dialogs ? nullptr : std::make_unique<WidgetDialogs>(this)),
      m_ownDesktop(desktop ? nullptr : std::make_unique<SystemDesktop>()),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs), m_desktop(desktop ? *desktop : *m_ownDesktop),
      m_tabs(new SheetTabs), m_grid(new SheetGrid), m_cellBar(new CellBar), m_findBar(new FindBar),
      m_sheetList(new SheetList), m_status(new QLabel), m_summaryTurn(new QTimer(this)),
      m_copyWatch(new QTimer(this)) {
    setObjectName(QStringLiteral("WorkbookWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/brindlequay.png")));
    resize(900, 600);

    createToolBar();
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_tabs->setObjectName(QStringLiteral("SheetTabs"));
    m_status->setObjectName(QStringLiteral("SelectionStatus"));
    m_summaryTurn->setSingleShot(true);
    m_summaryTurn->setInterval(0);
    connect(m_summaryTurn, &QTimer::timeout, this, &WorkbookWindow::summarizeSlice);
    m_copyWatch->setInterval(10);
    connect(m_copyWatch, &QTimer::timeout, this, &WorkbookWindow::takeCopiedText);
    statusBar()->addWidget(m_status, 1);

    layOut();
    createKeys();
    connectViews();
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (workbook() && workbook()->revision() != m_shownRevision)
            refresh();
    });
    watch->start(kRefreshIntervalMs);
    refresh();
    // Keys go to the cells from the start, as in a spreadsheet application.
    m_grid->setFocus();
}

WorkbookWindow::~WorkbookWindow() = default;

void WorkbookWindow::createToolBar() {
    QToolBar* tools = addToolBar(QStringLiteral("Workbook"));
    tools->setMovable(false);
    QAction* save = tools->addAction(QStringLiteral("Save"), this, [this] { this->save(); });
    save->setShortcut(QKeySequence::Save);
    tools->addAction(QStringLiteral("Save As…"), this, [this] { saveAs(); });
    tools->addAction(QStringLiteral("Open in spreadsheet application"), this,
                     [this] { openInSpreadsheetApplication(); });
    m_freezeTopRow = tools->addAction(QStringLiteral("Freeze Top Row"), this,
                                      [this](bool frozen) { freezeTopRow(frozen); });
    m_freezeTopRow->setObjectName(QStringLiteral("FreezeTopRow"));
    m_freezeTopRow->setCheckable(true);
}

void WorkbookWindow::layOut() {
    m_findBar->hide();
    auto* sheetAndTabs = new QWidget;
    auto* sheetLayout = new QVBoxLayout(sheetAndTabs);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);
    sheetLayout->addWidget(m_grid, 1);
    sheetLayout->addWidget(m_tabs);
    auto* split = new QSplitter;
    split->addWidget(m_sheetList);
    split->addWidget(sheetAndTabs);
    split->setStretchFactor(1, 1);
    split->setSizes({160, 740});

    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_cellBar);
    layout->addWidget(m_findBar);
    layout->addWidget(split, 1);
    setCentralWidget(centre);
}

void WorkbookWindow::createKeys() {
    // The grid's own Ctrl+C copies one cell; the window copies the whole selection.
    m_grid->installEventFilter(this);
    auto* find = new QAction(QStringLiteral("Find"), this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, m_findBar, &FindBar::open);
    addAction(find);
    auto* goTo = new QAction(QStringLiteral("Go To…"), this);
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(goTo, &QAction::triggered, this, &WorkbookWindow::goToTypedCell);
    addAction(goTo);
    // As in spreadsheet applications, Ctrl with Page Down and Page Up changes the sheet rather
    // than the page.
    for (const auto& keyAndStep : {std::pair(Qt::Key_PageDown, 1), std::pair(Qt::Key_PageUp, -1)}) {
        auto* neighbour = new QAction(this);
        neighbour->setShortcut(QKeySequence(Qt::CTRL | keyAndStep.first));
        connect(neighbour, &QAction::triggered, this,
                [this, step = keyAndStep.second] { showNeighbourSheet(step); });
        addAction(neighbour);
    }
}

void WorkbookWindow::connectViews() {
    connect(m_findBar, &FindBar::findNext, this, &WorkbookWindow::findNext);
    // The keys go back to the cells, the match found selected, rather than on to the next
    // field that takes them, the sheet filter.
    connect(m_findBar, &FindBar::dismissed, m_grid, [this] { m_grid->setFocus(); });
    connect(m_sheetList, &SheetList::sheetChosen, this,
            [this](int index) { m_tabs->setCurrentIndex(index - 1); });
    // A double-click on a column's border fits it to the rows in view; the grid's own fitting,
    // by the font rather than the sheet's rule, would give a width the saved file does not keep.
    disconnect(m_grid->horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, m_grid,
               nullptr);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this,
            &WorkbookWindow::fitColumnToRowsInView);
    // A width the user drags is the sheet's, and saved with it.
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int pixels) {
                if (m_settingWidths || m_grid->isZooming())
                    return;
                if (Worksheet* sheet = shownSheet())
                    sheet->setColumnWidth(column + 1, columnWidthOf(*m_grid, pixels));
            });
    connect(m_grid, &SheetGrid::linkClicked, this, &WorkbookWindow::followLink);
    connect(m_grid, &SheetGrid::zoomChanged, this, [this] {
        if (const std::shared_ptr<const Worksheet> sheet = m_model ? m_model->sheet() : nullptr)
            showColumnWidths(*sheet);
    });

    // The sheet the user looks at is the active one, before which a later import adds sheets;
    // while an import fills the workbook, looking changes nothing.
    connect(m_tabs, &SheetTabs::currentTabChanged, this, [this](int index) {
        Workbook* book = workbook();
        if (book && !book->isBeingFilled())
            book->activate(index + 1);
        m_sheetList->setActive(index + 1);
        showSheet(index + 1);
    });
}

Workbook* WorkbookWindow::workbook() const {
    if (!m_instance || m_instance->workbookCount() == 0)
        return nullptr;
    return &m_instance->activeWorkbook();
}

void WorkbookWindow::refresh() {
    Workbook* book = workbook();
    // Noted first: what the refresh shows must not make it refresh again.
    m_shownRevision = book ? book->revision() : 0;
    showTitle();
    const QStringList names = book ? book->sheetNames() : QStringList();
    const QSignalBlocker quiet(m_tabs);
    if (names != m_shownNames) {
        m_tabs->setNames(names);
        m_shownNames = names;
    }
    if (!book) {
        m_grid->setModel(nullptr);
        m_grid->setCells({});
        m_model.reset();
        m_summary.reset();
        m_status->clear();
        m_sheetList->setSheets({}, 0);
        m_cellBar->showCell(nullptr, 0, 0);
        return;
    }
    m_tabs->setCurrentIndex(book->activeIndex() - 1);
    m_sheetList->setSheets(names, book->activeIndex());
    showSheet(book->activeIndex());
}

void WorkbookWindow::showTitle() {
    const Workbook* book = workbook();
    setWindowTitle((book ? book->name() : QStringLiteral("(no workbook)")) +
                   QStringLiteral(" - Brindlequay"));
}

void WorkbookWindow::showSheet(int index) {
    Workbook* book = workbook();
    if (!book || index < 1 || index > book->sheetCount())
        return;
    const std::weak_ptr<const Worksheet> watched = book->watchSheet(index);
    // The same sheet shown again, grown perhaps, or a sheet the user comes back to: the user
    // stands where they left it. The widths are the sheet's own, and kept with it.
    const std::shared_ptr<const Worksheet> shown = m_model ? m_model->sheet() : nullptr;
    const bool sameSheet = shown && shown == watched.lock();
    if (shown && !sameSheet)
        m_places.remember(shown, GridPlace::of(*m_grid));
    const std::optional<GridPlace> kept =
        sameSheet ? GridPlace::of(*m_grid) : m_places.placeOn(watched.lock());
    auto model = std::make_unique<SheetTableModel>(watched);
    m_grid->setModel(model.get());
    m_model = std::move(model);
    const std::shared_ptr<const Worksheet> sheet = watched.lock();
    m_grid->setCells(sheet ? std::shared_ptr<const CellStore>(sheet, &sheet->cells())
                           : std::shared_ptr<const CellStore>());
    const bool frozen = sheet && sheet->isTopRowFrozen();
    m_grid->setTopRowFrozen(frozen);
    m_freezeTopRow->setChecked(frozen);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &WorkbookWindow::showCurrentCell);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &WorkbookWindow::summarizeSelection);
    // The widths are the sheet's: fitted to its first rows as they now stand, so that a sheet
    // still being filled is fitted as it grows, and kept where the user set them.
    if (sheet)
        showColumnWidths(*sheet);
    if (kept && kept->row >= 0) {
        m_model->showAtLeast(kept->row + 1, kept->column + 1);
        kept->restore(*m_grid);
        showCurrentCell();
        summarizeSelection();
        return;
    }
    selectCell(1, 1);
}

void WorkbookWindow::showColumnWidths(const Worksheet& sheet) {
    m_settingWidths = true;
    ::showColumnWidths(*m_grid, columnWidths(sheet));
    m_settingWidths = false;
}

Worksheet* WorkbookWindow::shownSheet() {
    Workbook* book = workbook();
    const std::shared_ptr<const Worksheet> shown = m_model ? m_model->sheet() : nullptr;
    const int index = m_tabs->currentIndex() + 1;
    if (!book || !shown || index < 1 || index > book->sheetCount() ||
        &book->sheet(index) != shown.get())
        return nullptr;
    return &book->sheet(index);
}

void WorkbookWindow::fitColumnToRowsInView(int column) {
    Worksheet* sheet = shownSheet();
    if (!sheet)
        return;
    const int firstRow = m_grid->rowAt(0);
    const int lastRow = m_grid->rowAt(m_grid->viewport()->height() - 1);
    const int rowsInView =
        (lastRow >= 0 ? lastRow : m_grid->model()->rowCount() - 1) - std::max(firstRow, 0) + 1;
    // Asked for by hand, on values the user sees: a long one is shown whole, as wide as a
    // column may be, and not cut to leave room for the other columns as the fitting of a sheet
    // first shown is.
    const std::vector<double> fitted =
        fittedWidths(sheet->cells(), std::max(firstRow, 0) + 1, rowsInView, column + 1, column + 1,
                     kMaxColumnWidth);
    sheet->setColumnWidth(column + 1, fitted[0] > 0 ? fitted[0] : kMinFittedWidth);
    showColumnWidths(*sheet);
}

void WorkbookWindow::showCurrentCell() {
    const std::shared_ptr<const Worksheet> sheet = m_model ? m_model->sheet() : nullptr;
    const QModelIndex current = m_grid->currentIndex();
    if (!sheet || !current.isValid()) {
        m_cellBar->showCell(nullptr, 0, 0);
        return;
    }
    m_cellBar->showCell(&sheet->cells(), current.row() + 1, current.column() + 1);
}

void WorkbookWindow::selectCell(int row, int column) {
    const QModelIndex cell = m_grid->model()->index(row - 1, column - 1);
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
    showCurrentCell();
}

void WorkbookWindow::followLink(int row, int column) {
    Workbook* book = workbook();
    const std::shared_ptr<const Worksheet> sheet = m_model ? m_model->sheet() : nullptr;
    if (!book || !sheet)
        return;
    const LinkDestination destination = ::followLink(*book, *sheet, row, column);
    if (destination.outcome == LinkDestination::Outcome::SheetGone) {
        m_status->setText(QStringLiteral("The link leads to the sheet \"%1\", which the workbook "
                                         "no longer has.")
                              .arg(destination.sheetName));
        return;
    }
    if (destination.outcome != LinkDestination::Outcome::Found)
        return;
    m_tabs->setCurrentIndex(destination.place.sheet - 1);
    // A place beyond the rows and columns the grid shows is shown at their edge.
    const QAbstractItemModel* shown = m_grid->model();
    selectCell(std::min(destination.place.cell.row, shown->rowCount()),
               std::min(destination.place.cell.column, shown->columnCount()));
}

void WorkbookWindow::copySelection() {
    const std::shared_ptr<const Worksheet> sheet = m_model ? m_model->sheet() : nullptr;
    if (!sheet || !m_grid->selectionModel())
        return;
    std::vector<CellRange> ranges =
        selectedCells(m_grid->selectionModel()->selection(), *m_model, sheet->cells());
    std::int64_t cells = 0;
    for (const CellRange& range : ranges)
        cells += static_cast<std::int64_t>(range.rowCount()) * range.columnCount();
    // A copy still being made is overtaken by this one.
    m_copying.reset();
    if (cells <= kCopiedInPlace) {
        QGuiApplication::clipboard()->setText(tabSeparatedText(sheet->cells(), ranges));
        return;
    }
    m_status->setText(QStringLiteral("Copying…"));
    // The thread reads a copy of the cells, which later changes of the sheet leave alone, and
    // hands its text over through a state of its own that the window looks at: it never calls
    // into a window that may be gone. The global pool is waited for before the application
    // ends.
    auto copying = std::make_shared<BackgroundText>();
    m_copying = copying;
    m_copyWatch->start();
    QThreadPool::globalInstance()->start(
        [copying, cellsCopy = sheet->cells(), ranges = std::move(ranges)] {
            copying->text = tabSeparatedText(cellsCopy, ranges);
            copying->done = true;
        });
}

void WorkbookWindow::takeCopiedText() {
    if (!m_copying) {
        m_copyWatch->stop();
        return;
    }
    if (!m_copying->done)
        return;
    m_copyWatch->stop();
    QGuiApplication::clipboard()->setText(m_copying->text);
    m_copying.reset();
    summarizeSelection();
}

bool WorkbookWindow::findNext() {
    // Sheets a later import added or deleted since the last look would shift the tabs.
    if (Workbook* book = workbook(); book && book->revision() != m_shownRevision)
        refresh();
    Workbook* book = workbook();
    const int index = m_tabs->currentIndex() + 1;
    if (!book || index < 1 || index > book->sheetCount())
        return false;
    const QModelIndex current = m_grid->currentIndex();
    const CellPlace after =
        current.isValid() ? CellPlace{current.row() + 1, current.column() + 1} : CellPlace{};
    const std::optional<WorkbookPlace> found =
        findInWorkbook(*book, {index, after}, m_findBar->text(), m_findBar->inAllSheets());
    m_findBar->showNotFound(!found);
    if (!found)
        return false;
    if (found->sheet != index)
        m_tabs->setCurrentIndex(found->sheet - 1);
    selectCell(found->cell.row, found->cell.column);
    return true;
}

void WorkbookWindow::showNeighbourSheet(int step) {
    const int index = m_tabs->currentIndex() + step;
    if (index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void WorkbookWindow::goToTypedCell() {
    Workbook* book = workbook();
    if (!book || !m_model)
        return;
    const QString typed = m_dialogs
                              .inputBox(QStringLiteral("Reference, such as B12 or Sheet2!C3:"),
                                        QStringLiteral("Go To"), QString())
                              .trimmed();
    if (typed.isEmpty())
        return;
    const std::optional<CellAddress> address = parseCellAddress(typed);
    if (!address) {
        showError(
            QStringLiteral("\"%1\" is not a cell reference such as B12 or Sheet2!C3.").arg(typed));
        return;
    }
    if (!address->sheet.isEmpty()) {
        const Worksheet* named = book->findSheet(address->sheet);
        if (!named) {
            showError(
                QStringLiteral("The workbook has no sheet named \"%1\".").arg(address->sheet));
            return;
        }
        m_tabs->setCurrentIndex(book->indexOf(*named));
    }
    // A cell past the used range and its margin is as much the sheet's as any other.
    m_model->showAtLeast(address->row, address->column);
    m_grid->doItemsLayout();
    selectCell(address->row, address->column);
}

void WorkbookWindow::freezeTopRow(bool frozen) {
    Worksheet* sheet = shownSheet();
    if (sheet)
        sheet->setTopRowFrozen(frozen);
    m_grid->setTopRowFrozen(frozen && sheet);
    m_freezeTopRow->setChecked(frozen && sheet);
}

void WorkbookWindow::summarizeSelection() {
    const std::shared_ptr<const Worksheet> sheet = m_model ? m_model->sheet() : nullptr;
    if (!sheet || !m_grid->selectionModel()) {
        m_summary.reset();
        m_status->clear();
        return;
    }
    const bool pending = m_summary != nullptr;
    m_summary = std::make_unique<SelectionSummary>(
        sheet->cells(),
        selectedCells(m_grid->selectionModel()->selection(), *m_model, sheet->cells()));
    // A selection of a few cells is told at once; a larger one a slice per turn of the event
    // loop, the newest selection replacing one still being counted.
    if (!pending)
        summarizeSlice();
}

void WorkbookWindow::summarizeSlice() {
    if (!m_summary)
        return;
    if (!m_summary->advance(kSummarySlice)) {
        m_status->setText(QStringLiteral("Counting…"));
        m_summaryTurn->start();
        return;
    }
    const SelectionSummary& done = *m_summary;
    QString text;
    if (done.numberCount() > 0)
        text = QStringLiteral("Average: %1    Count: %2    Sum: %3")
                   .arg(statusNumber(done.average()))
                   .arg(done.filledCount())
                   .arg(statusNumber(done.sum()));
    else if (done.filledCount() > 0)
        text = QStringLiteral("Count: %1").arg(done.filledCount());
    m_status->setText(text);
    m_summary.reset();
}

void WorkbookWindow::showError(const QString& text) {
    m_dialogs.showMessage(Message{text, MessageButtons::Ok, MessageIcon::Warning});
}

void WorkbookWindow::setSaveFolders(SettingsStore* settings, const QString& firstFolder) {
    m_settings = settings;
    m_firstFolder = firstFolder;
}

QStringList WorkbookWindow::saveWhilePainting(const Workbook& book, const QString& path) {
    QProgressDialog progress(QStringLiteral("Saving %1…").arg(QFileInfo(path).fileName()),
                             QString(), 0, 100, this);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.show();
    QStringList leftOut;
    std::atomic<int> percent = 0;
    // The windows paint and the dialog turns while the file is written; the program told to end
    // meanwhile waits for the saving, which stops too, before what it writes from goes.
    runWhileWaiting(
        [&] {
            leftOut = saveAsXlsx(book, path,
                                 [&](double share) { percent = static_cast<int>(share * 100); });
        },
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (percent != progress.value())
                progress.setValue(percent);
        });
    return leftOut;
}

bool WorkbookWindow::saveAs() {
    Workbook* book = workbook();
    if (!book)
        return false;
    QString folder = m_settings ? m_settings->GetSetting(kLastSaveFolderKey, QString()) : QString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = m_firstFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString path = m_dialogs.chooseSaveFile(
        QStringLiteral("Save As"), QStringLiteral("Excel Workbook (*.xlsx)"),
        QDir(folder).filePath(fileStem(*book) + QStringLiteral(".xlsx")));
    if (path.isEmpty())
        return false;
    const QString target =
        path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? path : path + ".xlsx";
    return saveTo(*book, target);
}

bool WorkbookWindow::save() {
    Workbook* book = workbook();
    if (!book)
        return false;
    if (book->filePath().isEmpty())
        return saveAs();
    return saveTo(*book, book->filePath());
}

bool WorkbookWindow::saveTo(Workbook& book, const QString& path) {
    QStringList leftOut;
    try {
        leftOut = saveWhilePainting(book, path);
    } catch (...) {
        showError(QStringLiteral("The workbook was not saved.\r\n") + describeCurrentException());
        return false;
    }
    if (!leftOut.isEmpty())
        showError(QStringLiteral("The workbook was saved, but not whole:\r\n") +
                  leftOut.join(QStringLiteral("\r\n")));
    book.markSavedAs(path);
    showTitle();
    if (m_settings)
        m_settings->SaveSetting(kLastSaveFolderKey, QFileInfo(path).absolutePath());
    return true;
}

void WorkbookWindow::openInSpreadsheetApplication() {
    Workbook* book = workbook();
    if (!book)
        return;
    QString path;
    try {
        // A folder of its own, which no other user of the temporary folder can read.
        path = QDir(makeRunWorkspace(temporaryFolder()))
                   .filePath(fileStem(*book) + QStringLiteral(" ") +
                             QDateTime::currentDateTime().toString(
                                 QStringLiteral("yyyy-MM-dd hh.mm.ss")) +
                             QStringLiteral(".xlsx"));
        if (const QStringList leftOut = saveWhilePainting(*book, path); !leftOut.isEmpty())
            showError(QStringLiteral("The workbook was handed over, but not whole:\r\n") +
                      leftOut.join(QStringLiteral("\r\n")));
    } catch (...) {
        showError(QStringLiteral("The workbook could not be handed over.\r\n") +
                  describeCurrentException());
        return;
    }
    if (m_desktop.openFile(path))
        return;
    // Nothing will read the copy: it goes, and the user is told how to keep the workbook.
    QDir(QFileInfo(path).path()).removeRecursively();
    showError(QStringLiteral("No application on this system opens .xlsx files.\r\n"
                             "Use Save As… to keep the workbook."));
}

bool WorkbookWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
    Workbook* book = workbook();
    if (book && book->isModified()) {
        const MessageAnswer answer = m_dialogs.showMessage(Message{
            QStringLiteral("Do you want to save the changes you made to '%1'?").arg(book->name()),
            MessageButtons::YesNoCancel, MessageIcon::Warning});
        if (answer == MessageAnswer::Cancel || (answer == MessageAnswer::Yes && !save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
    // The instance ends with its window: it is no longer found as running.
    m_instance.reset();
}
