#include "ui/WorkbookWindow.h"

#include "base/SettingsStore.h"
#include "import/ImportRun.h"
#include "sheet/ColumnWidths.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "support/ImportFixture.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"
#include "ui/ColumnFitting.h"
#include "ui/SheetGrid.h"
#include "ui/SheetTableModel.h"
#include "ui/SheetTabs.h"
#include "ui/StatusNumber.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

namespace {
// A visible instance with one workbook, as an import leaves it, shown in a window.
struct WindowFixture {
    WindowFixture() {
        instance = std::static_pointer_cast<EngineInstance>(engine.create());
        Workbook& book = instance->addWorkbook();
        book.addSheet();
        book.renameSheet(book.activeSheet(), "orders.csv");
        book.activeSheet().cells().setText(1, 1, "order");
        book.activeSheet().cells().setText(3, 28, "12.50");
        window = std::make_unique<WorkbookWindow>(instance, &dialogs, &desktop);
    }
    SheetTabs* tabs() { return window->findChild<SheetTabs*>("SheetTabs"); }
    QTableView* grid() { return window->findChild<QTableView*>("Grid"); }
    // A window made for an instance whose one sheet is still empty, as a run's first shows.
    void windowShownBeforeValues() {
        Workbook& book = instance->activeWorkbook();
        book.renameSheet(book.addSheet(), "filling");
        book.activate(book.sheetNames().indexOf("filling") + 1);
        window = std::make_unique<WorkbookWindow>(instance, &dialogs, &desktop);
        window->show();
    }
    QString shown(int row, int column) {
        return grid()->model()->index(row - 1, column - 1).data().toString();
    }

    QTemporaryDir folder;
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    std::shared_ptr<EngineInstance> instance;
    std::unique_ptr<WorkbookWindow> window;
};

// The window on the workbook that a real import through the work database left: tables
// "line", "customer" and "order", one sheet each, and "Sheet1".
struct ImportedWindow : ImportFixture {
    ImportedWindow() {
        surface.route = ImportRoute::Database;
        surface.send = SendMode::MultipleSheets;
        surface.files << file("a.xml", "<orders><order><no>1</no><note>" + kLongNote +
                                           "</note><price>6.90</price></order>"
                                           "<order><no>2</no><price>12.00</price></order></orders>")
                      << file("b.xml", "<shop><customer><name>Ann</name><city>Oslo</city>"
                                       "</customer><line><sku>A</sku><note>Apfel</note></line>"
                                       "</shop>");
        ImportRun(surface, dialogs, engine, folder.path(), folder.filePath("work.mdb")).run();
        window = std::make_unique<WorkbookWindow>(shown.at(0), &windowDialogs, &desktop);
        window->show();
    }
    template <typename T> T* find(const char* name) { return window->findChild<T*>(name); }
    QTableView* grid() { return find<QTableView>("Grid"); }
    void showSheet(const QString& name) {
        find<SheetTabs>("SheetTabs")->setCurrentIndex(result().sheetNames().indexOf(name));
    }
    void select(int row, int column) {
        grid()->setCurrentIndex(grid()->model()->index(row - 1, column - 1));
    }
    QString cellBar() {
        return find<QLabel>("CellReference")->text() + " " +
               find<QPlainTextEdit>("CellContent")->toPlainText();
    }
    QString current() {
        const QModelIndex at = grid()->currentIndex();
        return find<SheetTabs>("SheetTabs")->tabText(find<SheetTabs>("SheetTabs")->currentIndex()) +
               "!" + cellReference(at.row() + 1, at.column() + 1);
    }

    inline static const QByteArray kLongNote =
        "Apfelstrudel mit Sahne und Vanillesauce, dazu ein Kännchen Kaffee für zwei Personen, "
        "bitte am Fenster\nzweite Zeile";
    ScriptedDialogs windowDialogs;
    RecordingDesktop desktop;
    std::unique_ptr<WorkbookWindow> window;
};

// A real import whose instance gets its window as soon as it is shown, as the program does:
// the window first meets a workbook that the run is still filling.
struct PresentedRun : ImportFixture {
    PresentedRun(ImportRoute route, SendMode send) {
        engine.setPresenter([this](std::shared_ptr<EngineInstance> instance) {
            shown.push_back(instance);
            window = std::make_unique<WorkbookWindow>(instance, &windowDialogs, &desktop);
            window->show();
        });
        surface.route = route;
        surface.send = send;
    }
    void run() {
        ImportRun(surface, dialogs, engine, folder.path(), folder.filePath("w.mdb")).run();
    }
    template <typename T> T* find(const char* name) { return window->findChild<T*>(name); }
    QTableView* grid() { return find<QTableView>("Grid"); }
    // The cell the grid's current index stands on, and the selection as one text of ranges.
    QString at() {
        const QModelIndex current = grid()->currentIndex();
        return cellReference(current.row() + 1, current.column() + 1);
    }
    QString selection() {
        QStringList ranges;
        for (const QItemSelectionRange& range : grid()->selectionModel()->selection())
            ranges << cellReference(range.top() + 1, range.left() + 1) + ":" +
                          cellReference(range.bottom() + 1, range.right() + 1);
        return ranges.join(' ');
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid(), static_cast<Qt::Key>(key), modifiers);
    }
    QString status() { return find<QLabel>("SelectionStatus")->text(); }

    ScriptedDialogs windowDialogs;
    RecordingDesktop desktop;
    std::unique_ptr<WorkbookWindow> window;
};
} // namespace

class WorkbookWindowTest : public QObject {
    Q_OBJECT
private slots:
    // The status line's expectations are written as the C locale shows numbers, whatever the
    // language of the machine that runs the tests.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void showsTheSheetsAndFollowsTheWorkbookWithoutSteeringIt();
    void savesAsXlsxThroughTheChooser();
    void closingAChangedWorkbookAsksFirst();
    void theCellBarShowsTheSelectedCellWhole();
    void columnsFitTheirFirstRowsAndADoubleClickedBorderFitsAgain();
    void theSheetListNarrowsToWhatIsTypedAndShowsTheActiveSheet();
    void copyingPutsTheSelectionOnTheClipboardAsTabSeparatedText();
    void findingSelectsTheNextMatchInTheSheetOrInAllSheets();
    void aLaterImportKeepsTheViewersPlaceAndItsSheet();
    void tabsShowInAWindowLaidOutBeforeItsWorkbook();
    void tabsShowOnEveryRouteAndSendOption_data();
    void tabsShowOnEveryRouteAndSendOption();
    void theKeysMoveAsInASpreadsheetAndTheSelectionFollows();
    void theStatusLineCountsSumsAndAveragesWithoutHoldingTheWindowUp();
    void theTopRowStaysInViewOnTheSheetsItIsFrozenFor();
    void aSheetShownWhileItIsFilledIsFittedOnceItHoldsValues();
    void theSavedWorkbookKeepsTheWidthsAndTheFrozenRowTheWindowShows();
    void aClickOnALinkShowsTheCellItLeadsTo();
    void theFrozenRowFollowsTheZoom();
    void aDoubleClickedBorderFitsTheRowsInViewWhole();
    void aSheetShownAgainKeepsItsCellAndScrolledPlace();
    void escapeClosesTheFindBarAndTheKeysGoBackToTheGrid();
    void statusNumbersShowAsASpreadsheetShowsThem_data();
    void statusNumbersShowAsASpreadsheetShowsThem();
    void eachWorkbookHasATitleOfItsOwnAndSavingKeepsItsFile();
    void controlPageDownAndUpChangeTheSheet();
    void goToShowsTheCellTyped();
    void openingWithNoApplicationSaysSoPlainly();
};

void WorkbookWindowTest::showsTheSheetsAndFollowsTheWorkbookWithoutSteeringIt() {
    WindowFixture fixture;
    QCOMPARE(fixture.tabs()->count(), 4);
    QCOMPARE(fixture.tabs()->tabText(0), QStringLiteral("orders.csv"));
    QCOMPARE(fixture.shown(1, 1), QStringLiteral("order"));
    QCOMPARE(fixture.grid()->model()->headerData(27, Qt::Horizontal).toString(),
             QStringLiteral("AB"));
    QCOMPARE(fixture.shown(3, 28), QStringLiteral("12.50"));
    Workbook& book = fixture.instance->activeWorkbook();
    // A tab picked while an import fills the workbook shows that sheet but does not steer the
    // import; afterwards the sheet picked is the one a later import adds its sheets before.
    {
        const BeingFilled filling(book);
        fixture.tabs()->setCurrentIndex(2);
        QCOMPARE(fixture.shown(1, 1), QString());
        QCOMPARE(book.activeIndex(), 1);
    }
    fixture.tabs()->setCurrentIndex(1);
    QCOMPARE(book.activeSheet().name(), QStringLiteral("Sheet1"));
    book.addSheet();
    QTRY_COMPARE(fixture.tabs()->count(), 5);

    // A sheet deleted between two looks of the window: the grid must not reach into it.
    fixture.tabs()->setCurrentIndex(0);
    QCOMPARE(fixture.shown(1, 1), QStringLiteral("order"));
    book.deleteSheet("orders.csv");
    QCOMPARE(fixture.shown(1, 1), QString());
    fixture.grid()->viewport()->repaint();
    QTRY_COMPARE(fixture.tabs()->count(), 4);
}

void WorkbookWindowTest::savesAsXlsxThroughTheChooser() {
    WindowFixture fixture;
    const QString path = fixture.folder.filePath("result");
    fixture.dialogs.saveAnswers = {path};
    QVERIFY(fixture.window->saveAs());
    QVERIFY(QFile::exists(path + ".xlsx"));
    QVERIFY(!fixture.instance->activeWorkbook().isModified());

    // Save As starts beside the first imported file, then where the user last saved, which
    // the next window remembers too.
    QCOMPARE(QFileInfo(fixture.dialogs.suggestedSavePaths.at(0)).path(), QDir::homePath());
    QDir(fixture.folder.path()).mkpath("in");
    QDir(fixture.folder.path()).mkpath("out");
    SettingsStore settings(fixture.folder.filePath("user.ini"));
    fixture.window->setSaveFolders(&settings, fixture.folder.filePath("in"));
    fixture.dialogs.saveAnswers = {fixture.folder.filePath("out/saved.xlsx")};
    QVERIFY(fixture.window->saveAs());
    QCOMPARE(QFileInfo(fixture.dialogs.suggestedSavePaths.at(1)).path(),
             fixture.folder.filePath("in"));
    WorkbookWindow later(fixture.instance, &fixture.dialogs, &fixture.desktop);
    later.setSaveFolders(&settings, fixture.folder.filePath("in"));
    QVERIFY(!later.saveAs());
    QCOMPARE(QFileInfo(fixture.dialogs.suggestedSavePaths.at(2)).path(),
             fixture.folder.filePath("out"));

    // Cancelling the chooser saves nothing; a folder that is not there is said so.
    QVERIFY(!fixture.window->saveAs());
    fixture.dialogs.saveAnswers = {fixture.folder.filePath("missing/result.xlsx")};
    QVERIFY(!fixture.window->saveAs());
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QVERIFY(fixture.dialogs.shown[0].text.contains(QStringLiteral("does not exist")));

    // The copy handed to the desktop lies in a folder of its own that only its owner can read.
    qputenv("TEMP", fixture.folder.path().toUtf8());
    fixture.window->openInSpreadsheetApplication();
    qunsetenv("TEMP");
    QCOMPARE(fixture.desktop.openedFiles.size(), 1);
    const QFileInfo handedOver(fixture.desktop.openedFiles[0]);
    QVERIFY(handedOver.isFile());
    QCOMPARE(QFileInfo(handedOver.path()).path(), fixture.folder.path());
#ifndef _WIN32
    // On Windows the folder takes the access list of the user's own temporary folder.
    QCOMPARE(QFile::permissions(handedOver.path()) &
                 ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
#endif
}

void WorkbookWindowTest::closingAChangedWorkbookAsksFirst() {
    WindowFixture fixture;
    fixture.window->show();
    fixture.dialogs.questionAnswers = {MessageAnswer::Cancel};
    QVERIFY(!fixture.window->close());
    QCOMPARE(fixture.dialogs.shown[0].buttons, MessageButtons::YesNoCancel);
    // Yes with a cancelled chooser keeps the window open too.
    fixture.dialogs.questionAnswers = {MessageAnswer::Yes};
    QVERIFY(!fixture.window->close());
    fixture.dialogs.questionAnswers = {MessageAnswer::Yes};
    fixture.dialogs.saveAnswers = {fixture.folder.filePath("kept.xlsx")};
    QVERIFY(fixture.window->close());
    QVERIFY(QFile::exists(fixture.folder.filePath("kept.xlsx")));

    // A saved workbook closes without a question, and its instance ends with the window.
    WindowFixture saved;
    saved.instance->activeWorkbook().markSaved();
    std::weak_ptr<EngineInstance> watched = saved.instance;
    saved.instance.reset();
    QVERIFY(saved.window->close());
    QVERIFY(saved.dialogs.shown.empty());
    QVERIFY(watched.expired());
    QVERIFY(saved.engine.runningInstances().empty());
}

void WorkbookWindowTest::theCellBarShowsTheSelectedCellWhole() {
    ImportedWindow imported;
    imported.showSheet("order");
    QCOMPARE(imported.cellBar(), QStringLiteral("A1 no"));
    imported.select(2, 2);
    QCOMPARE(imported.cellBar(), "B2 " + QString::fromUtf8(ImportedWindow::kLongNote));
    // The grid shows the decimals; the bar the number as stored.
    imported.select(2, 3);
    QCOMPARE(imported.grid()->currentIndex().data().toString(), QStringLiteral("6.90"));
    QCOMPARE(imported.cellBar(), QStringLiteral("C2 6.9"));
    imported.select(3, 2);
    QCOMPARE(imported.cellBar(), QStringLiteral("B3 "));
    // Never in exponent form.
    imported.result().activeSheet().cells().setText(5, 1, "100000");
    imported.result().activeSheet().cells().setText(6, 1, "0.00001");
    imported.window->refresh();
    imported.select(5, 1);
    QCOMPARE(imported.cellBar(), QStringLiteral("A5 100000"));
    imported.select(6, 1);
    QCOMPARE(imported.cellBar(), QStringLiteral("A6 0.00001"));
    // A date stands to the right as a number does, and the bar shows it as it was written.
    imported.result().activeSheet().cells().setText(7, 1, "2024-01-15T10:30:00.5");
    imported.window->refresh();
    imported.select(7, 1);
    QCOMPARE(imported.grid()->currentIndex().data().toString(),
             QStringLiteral("2024-01-15T10:30:00.5"));
    QCOMPARE(imported.cellBar(), QStringLiteral("A7 2024-01-15T10:30:00.5"));
    QCOMPARE(imported.grid()->currentIndex().data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
             int(Qt::AlignRight));
}

void WorkbookWindowTest::columnsFitTheirFirstRowsAndADoubleClickedBorderFitsAgain() {
    ImportedWindow imported;
    imported.showSheet("order");
    QTableView* grid = imported.grid();
    const int number = grid->columnWidth(0);
    const int note = grid->columnWidth(1);
    QVERIFY2(note > 2 * number, qPrintable(QString("%1 against %2").arg(note).arg(number)));
    // A long text does not push the other columns out of view.
    QCOMPARE(note, columnPixels(*grid, kMaxFittedWidth));
    QVERIFY(grid->columnWidth(2) >= grid->fontMetrics().horizontalAdvance("price"));

    // The rows in view are fitted again by hand: the note whole.
    grid->setColumnWidth(1, 20);
    emit grid->horizontalHeader()->sectionHandleDoubleClicked(1);
    const QString firstLine = QString::fromUtf8(ImportedWindow::kLongNote).section('\n', 0, 0);
    QCOMPARE(grid->columnWidth(1),
             columnPixels(*grid, shownWidth(firstLine.toStdString(), 255) + 1));
}

void WorkbookWindowTest::theSheetListNarrowsToWhatIsTypedAndShowsTheActiveSheet() {
    ImportedWindow imported;
    auto* list = imported.find<QListView>("SheetList");
    auto* filter = imported.find<QLineEdit>("SheetFilter");
    QCOMPARE(imported.result().sheetNames(), (QStringList{"line", "customer", "order", "Sheet1"}));
    QCOMPARE(list->currentIndex().data().toString(), imported.result().activeSheet().name());

    QTest::keyClicks(filter, "OR");
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("order"));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(imported.find<SheetTabs>("SheetTabs")->currentIndex(), 2);
    QCOMPARE(imported.grid()->model()->index(0, 0).data().toString(), QStringLiteral("no"));
    QCOMPARE(imported.result().activeSheet().name(), QStringLiteral("order"));

    filter->clear();
    imported.showSheet("customer");
    QCOMPARE(list->currentIndex().data().toString(), QStringLiteral("customer"));
}

void WorkbookWindowTest::copyingPutsTheSelectionOnTheClipboardAsTabSeparatedText() {
    ImportedWindow imported;
    imported.showSheet("order");
    QTableView* grid = imported.grid();
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(0, 0), grid->model()->index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    QVERIFY(QTest::qWaitForWindowActive(imported.window.get()));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QString note = QString::fromUtf8(ImportedWindow::kLongNote);
    QCOMPARE(QApplication::clipboard()->text(),
             "no\tnote\tprice\n1\t\"" + note + "\"\t6.90\n2\t\t12.00\n");

    // A whole column gives its rows down to the last one used; cells picked one by one give
    // only themselves, in their places.
    grid->clearSelection();
    grid->selectColumn(0);
    imported.window->copySelection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("no\n1\n2\n"));
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    grid->selectionModel()->select(grid->model()->index(1, 2), QItemSelectionModel::Select);
    imported.window->copySelection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("no\t\t\n\t\t6.90\n"));
}

void WorkbookWindowTest::aLaterImportKeepsTheViewersPlaceAndItsSheet() {
    ImportedWindow imported;
    imported.showSheet("order");
    QTableView* grid = imported.grid();
    grid->setColumnWidth(0, 150);
    imported.select(3, 3);
    // The workbook changes under the window: a sheet comes before the one shown, which grows.
    Workbook& book = imported.result();
    book.addSheet();
    book.activate(book.sheetNames().indexOf("order") + 1);
    book.sheet("order").cells().setText(4, 1, "3");
    imported.window->refresh();
    QCOMPARE(imported.current(), QStringLiteral("order!C3"));
    QCOMPARE(grid->columnWidth(0), 150);
    QCOMPARE(imported.cellBar(), QStringLiteral("C3 12"));
    QCOMPARE(grid->model()->index(3, 0).data().toString(), QStringLiteral("3"));
}

void WorkbookWindowTest::findingSelectsTheNextMatchInTheSheetOrInAllSheets() {
    ImportedWindow imported;
    imported.showSheet("line");
    QVERIFY(QTest::qWaitForWindowActive(imported.window.get()));
    QTest::keyClick(imported.grid(), Qt::Key_F, Qt::ControlModifier);
    auto* text = imported.find<QLineEdit>("FindText");
    QVERIFY(text->isVisible());
    QTest::keyClicks(text, "apfel");
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(imported.current(), QStringLiteral("line!B2"));
    // In this sheet only: around to the same cell again.
    QVERIFY(imported.window->findNext());
    QCOMPARE(imported.current(), QStringLiteral("line!B2"));

    imported.find<QCheckBox>("FindInAllSheets")->setChecked(true);
    QVERIFY(imported.window->findNext());
    QCOMPARE(imported.current(), QStringLiteral("order!B2"));
    QCOMPARE(imported.cellBar().left(15), QStringLiteral("B2 Apfelstrudel"));
    QVERIFY(imported.window->findNext());
    QCOMPARE(imported.current(), QStringLiteral("line!B2"));

    text->setText("12.00");
    QVERIFY(imported.window->findNext());
    QCOMPARE(imported.current(), QStringLiteral("order!C3"));
    text->setText("nowhere");
    QVERIFY(!imported.window->findNext());
    QCOMPARE(imported.find<QLabel>("FindStatus")->text(), QStringLiteral("Not found"));
    QCOMPARE(imported.current(), QStringLiteral("order!C3"));
}

// A window laid out before its instance has a workbook, as a run's first show can be.
void WorkbookWindowTest::tabsShowInAWindowLaidOutBeforeItsWorkbook() {
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    const auto instance = std::static_pointer_cast<EngineInstance>(engine.create());
    WorkbookWindow window(instance, &dialogs, &desktop);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    instance->addWorkbook().addSheet();
    window.refresh();
    auto* tabs = window.findChild<SheetTabs*>("SheetTabs");
    QTRY_VERIFY(tabs->isVisible() && tabs->height() >= tabs->sizeHint().height() &&
                tabs->width() >= tabs->sizeHint().width());
    // Thousands of tabs are laid out a batch at a time; the active one still comes into
    // view once they are.
    Workbook& book = instance->activeWorkbook();
    while (book.sheetCount() < 3000)
        book.addSheet();
    book.activate(book.sheetCount());
    window.refresh();
    QCOMPARE(tabs->count(), 3000);
    const QModelIndex active = tabs->model()->index(tabs->currentIndex(), 0);
    QTRY_VERIFY(tabs->viewport()->rect().intersects(tabs->visualRect(active)));
    QCOMPARE(tabs->tabText(tabs->currentIndex()), book.activeSheet().name());
}

void WorkbookWindowTest::tabsShowOnEveryRouteAndSendOption_data() {
    QTest::addColumn<ImportRoute>("route");
    QTest::addColumn<SendMode>("send");
    QTest::newRow("flattening, one sheet") << ImportRoute::WithoutDatabase << SendMode::OneSheet;
    QTest::newRow("flattening, a sheet per file")
        << ImportRoute::WithoutDatabase << SendMode::MultipleSheets;
    QTest::newRow("database, one sheet") << ImportRoute::Database << SendMode::OneSheet;
    QTest::newRow("database, a sheet per table")
        << ImportRoute::Database << SendMode::MultipleSheets;
}

void WorkbookWindowTest::tabsShowOnEveryRouteAndSendOption() {
    QFETCH(ImportRoute, route);
    QFETCH(SendMode, send);
    PresentedRun run(route, send);
    run.surface.files << run.file("a.xml", "<r><v>1</v></r>")
                      << run.file("b.xml", "<s><w>2</w></s>");
    run.run();
    auto* tabs = run.find<SheetTabs>("SheetTabs");
    QTRY_COMPARE(tabs->count(), run.result().sheetCount());
    QTRY_VERIFY(tabs->isVisible() && tabs->height() >= tabs->sizeHint().height() &&
                tabs->width() > 0);
}

void WorkbookWindowTest::theKeysMoveAsInASpreadsheetAndTheSelectionFollows() {
    // Two files on one sheet: two blocks of lines with empty lines between them.
    PresentedRun run(ImportRoute::WithoutDatabase, SendMode::OneSheet);
    run.surface.files << run.file("a.xml", "<r><a>1</a><b>2</b><c>3</c></r>")
                      << run.file("b.xml", "<r><d>4</d><e>x</e></r>");
    run.run();
    QTRY_VERIFY(run.grid()->hasFocus() || QApplication::focusWidget() == run.grid());
    const CellRange used = run.result().activeSheet().cells().usedRange();
    QCOMPARE(used.lastRow, 7);
    QCOMPARE(run.at(), QStringLiteral("A1"));

    run.key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("A3"));
    run.key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("A6"));
    run.key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("A7"));
    // Past the data, to the last row the grid shows.
    run.key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(run.grid()->currentIndex().row() + 1, run.grid()->model()->rowCount());
    run.key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("A1"));
    QCOMPARE(run.selection(), QStringLiteral("A1:A1"));

    // The selection follows the cell, so a copy takes the cell the bar shows.
    run.key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("C1"));
    QCOMPARE(run.selection(), QStringLiteral("C1:C1"));
    QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
    run.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1\n"));

    run.key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(run.at(), QStringLiteral("C7"));
    run.key(Qt::Key_Home);
    QCOMPARE(run.at(), QStringLiteral("A7"));
    run.key(Qt::Key_End);
    QCOMPARE(run.at(), QStringLiteral("C7"));
    run.key(Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(run.at(), QStringLiteral("C6"));
    run.key(Qt::Key_Return);
    QCOMPARE(run.at(), QStringLiteral("C7"));
    run.key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(run.at(), QStringLiteral("B7"));
    run.key(Qt::Key_Tab);
    QCOMPARE(run.at(), QStringLiteral("C7"));
    run.key(Qt::Key_PageUp);
    QCOMPARE(run.at(), QStringLiteral("C1"));

    // Shift extends from where the selection began, Ctrl or not.
    run.key(Qt::Key_Home, Qt::ControlModifier);
    run.key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(run.selection(), QStringLiteral("A1:A3"));
    run.key(Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(run.selection(), QStringLiteral("A1:B3"));
    run.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("r\ta\nr\tb\nr\tc\n"));
    // The column header marks the columns the selection touches, from a selection of its own.
    QItemSelectionModel* marks = run.grid()->horizontalHeader()->selectionModel();
    QVERIFY(marks != run.grid()->selectionModel());
    QVERIFY(marks->columnIntersectsSelection(0) && marks->columnIntersectsSelection(1));
    QVERIFY(!marks->columnIntersectsSelection(2));
    // The grid shows the used range and a small margin, not a fixed 100 rows.
    QVERIFY(run.grid()->model()->rowCount() < 100);
    QVERIFY(run.grid()->model()->columnCount() < 26);
}

void WorkbookWindowTest::theStatusLineCountsSumsAndAveragesWithoutHoldingTheWindowUp() {
    PresentedRun run(ImportRoute::Database, SendMode::MultipleSheets);
    run.surface.files << run.file("a.xml", "<r><i><n>1.5</n><t>x</t></i><i><n>2</n><t>y</t></i>"
                                           "<i><n>4</n><t/></i></r>");
    run.run();
    QTRY_COMPARE(run.window->findChild<SheetTabs*>("SheetTabs")->tabText(0), QStringLiteral("i"));
    QTableView* grid = run.grid();
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(0, 0), grid->model()->index(3, 1)),
        QItemSelectionModel::ClearAndSelect);
    QCOMPARE(run.status(), QStringLiteral("Average: 2.5    Count: 7    Sum: 7.5"));
    grid->selectionModel()->select(grid->model()->index(1, 1), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(run.status(), QStringLiteral("Count: 1"));

    // Dates are counted, never summed: a sum of days since 1899 means nothing.
    CellStore& cells = run.result().sheet(1).cells();
    cells.setText(2, 3, "2024-01-15");
    cells.setText(3, 3, "10:30:00");
    run.window->refresh();
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(1, 0), grid->model()->index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    QCOMPARE(run.status(), QStringLiteral("Average: 1.75    Count: 6    Sum: 3.5"));
    cells.setText(2, 3, "");
    cells.setText(3, 3, "");

    // A whole column of a full sheet is counted a slice at a time.
    for (int row = 5; row <= 600000; ++row)
        cells.setText(row, 1, "1");
    run.window->refresh();
    grid->selectColumn(0);
    // The names row is a text: 600,000 filled cells, 599,999 numbers.
    QTRY_COMPARE(run.status(),
                 QStringLiteral("Average: 1.0000075000125    Count: 600000    Sum: 600,003.5"));

    // Copying that column makes its text away from the window; a copy made meanwhile wins.
    run.window->copySelection();
    QCOMPARE(run.status(), QStringLiteral("Copying…"));
    QTRY_VERIFY(QApplication::clipboard()->text().size() == 2 + 4 + 2 + 2 + 599996 * 2);
    grid->selectColumn(0);
    run.window->copySelection();
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    run.window->copySelection();
    QThreadPool::globalInstance()->waitForDone();
    QTest::qWait(100);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("n\n"));
}

void WorkbookWindowTest::theTopRowStaysInViewOnTheSheetsItIsFrozenFor() {
    PresentedRun run(ImportRoute::Database, SendMode::MultipleSheets);
    QByteArray many = "<r>";
    for (int i = 0; i < 300; ++i)
        many += "<i><n>" + QByteArray::number(i) + "</n></i>";
    run.surface.files << run.file("a.xml", many + "</r>")
                      << run.file("b.xml", "<s><j><m>1</m></j><j><m>2</m></j></s>");
    run.run();
    auto* tabs = run.find<SheetTabs>("SheetTabs");
    QTRY_COMPARE(tabs->count(), 3);
    tabs->setCurrentIndex(tabs->count() - 1 - 1);
    QCOMPARE(run.grid()->model()->index(0, 0).data().toString(), QStringLiteral("n"));
    auto* freeze = run.window->findChild<QAction*>("FreezeTopRow");
    freeze->trigger();
    // Going far down, by the current cell as by scrolling, leaves the top row in view.
    run.grid()->setCurrentIndex(run.grid()->model()->index(250, 0));
    run.grid()->scrollToBottom();
    auto* frozen = run.grid()->findChild<QTableView*>("FrozenRow");
    QVERIFY(frozen && frozen->isVisible());
    QVERIFY(run.grid()->rowAt(frozen->height()) > 200);
    QCOMPARE(frozen->indexAt(QPoint(5, 5)).data().toString(), QStringLiteral("n"));
    QCOMPARE(frozen->columnWidth(0), run.grid()->columnWidth(0));

    // Another sheet keeps its own choice; coming back finds the row still frozen.
    tabs->setCurrentIndex(0);
    QVERIFY(!run.grid()->findChild<QTableView*>("FrozenRow"));
    QVERIFY(!freeze->isChecked());
    tabs->setCurrentIndex(1);
    QVERIFY(freeze->isChecked());
    QVERIFY(run.grid()->findChild<QTableView*>("FrozenRow"));
}

void WorkbookWindowTest::aSheetShownWhileItIsFilledIsFittedOnceItHoldsValues() {
    WindowFixture fixture;
    Workbook& book = fixture.instance->activeWorkbook();
    fixture.windowShownBeforeValues();
    // A message box of the run stood over the window while the sheet was empty.
    book.activeSheet().cells().setText(1, 2, "a value far wider than an empty column is");
    fixture.window->refresh();
    QVERIFY(fixture.grid()->columnWidth(1) >
            fixture.grid()->fontMetrics().horizontalAdvance("a value far wider"));
    // Widths the user chose stay as they are.
    fixture.grid()->setColumnWidth(1, 30);
    book.activeSheet().cells().setText(2, 2, "another long value that is wider still, surely");
    fixture.window->refresh();
    QCOMPARE(fixture.grid()->columnWidth(1), 30);
}

void WorkbookWindowTest::theSavedWorkbookKeepsTheWidthsAndTheFrozenRowTheWindowShows() {
    WindowFixture fixture;
    Workbook& book = fixture.instance->activeWorkbook();
    const Worksheet& sheet = book.sheet("orders.csv");
    auto* grid = static_cast<SheetGrid*>(fixture.grid());
    // The window shows the widths the file keeps: "order" and "12.50" with a digit of room, and
    // the default width between them.
    QCOMPARE(columnWidths(sheet).size(), std::size_t(28));
    QCOMPARE(grid->columnWidth(0), columnPixels(*grid, 6));
    QCOMPARE(grid->columnWidth(1), columnPixels(*grid, kDefaultColumnWidth));
    QCOMPARE(grid->columnWidth(27), columnPixels(*grid, 6));

    // Freezing and a width dragged are the sheet's, and change the workbook; a zoom is not.
    book.markSaved();
    fixture.window->findChild<QAction*>("FreezeTopRow")->trigger();
    QVERIFY(sheet.isTopRowFrozen());
    QVERIFY(book.isModified());
    grid->horizontalHeader()->resizeSection(1, 200);
    const double dragged = columnWidthOf(*grid, 200);
    QCOMPARE(columnWidths(sheet).at(1), dragged);
    grid->setZoom(150);
    QCOMPARE(columnWidths(sheet).at(1), dragged);
    QCOMPARE(grid->columnWidth(1), columnPixels(*grid, dragged));
    QCOMPARE(grid->columnWidth(0), columnPixels(*grid, 6));
    grid->setZoom(100);
    QCOMPARE(grid->columnWidth(1), 200);

    const QString path = fixture.folder.filePath("view.xlsx");
    fixture.dialogs.saveAnswers = {path};
    QVERIFY(fixture.window->saveAs());
    QVERIFY(!book.isModified());
    const QString saved = xlsxEntry(path, "xl/worksheets/sheet1.xml");
    QVERIFY(saved.contains("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
                           "state=\"frozen\"/>"));
    // The file counts the padding of a cell in its widths, less than a digit.
    static const QRegularExpression second(R"re(<col min="2" max="2" width="([0-9.]+)")re");
    const double width = second.match(saved).captured(1).toDouble();
    QVERIFY2(width > dragged && width < dragged + 1, qPrintable(saved));

    // Unfrozen, the file scrolls whole again.
    fixture.window->freezeTopRow(false);
    QVERIFY(book.isModified());
    fixture.dialogs.saveAnswers = {path};
    QVERIFY(fixture.window->saveAs());
    QVERIFY(!xlsxEntry(path, "xl/worksheets/sheet1.xml").contains("<pane"));
}

void WorkbookWindowTest::aClickOnALinkShowsTheCellItLeadsTo() {
    WindowFixture fixture;
    Workbook& book = fixture.instance->activeWorkbook();
    book.sheet("Sheet3").cells().setText(80, 6, "far down");
    Worksheet& from = book.sheet("orders.csv");
    from.cells().setText(2, 1, "Sheet3");
    from.addLink(2, 1, "sheet3", 60, 4);
    from.cells().setText(2, 2, "gone");
    from.addLink(2, 2, "Deleted");
    fixture.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
    fixture.window->refresh();
    QTableView* grid = fixture.grid();
    const QModelIndex link = grid->model()->index(1, 0);
    QVERIFY(link.data(SheetTableModel::kLinkRole).toBool());
    QVERIFY(link.data(Qt::FontRole).value<QFont>().underline());
    QVERIFY(!grid->model()->index(0, 0).data(SheetTableModel::kLinkRole).toBool());
    QTest::mouseMove(grid->viewport(), grid->visualRect(link).center());
    QTRY_COMPARE(grid->viewport()->cursor().shape(), Qt::PointingHandCursor);

    // Anywhere in the cell, not only on its text.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(link).bottomRight() - QPoint(2, 2));
    QCOMPARE(fixture.tabs()->currentIndex(), book.sheetNames().indexOf("Sheet3"));
    QCOMPARE(grid->currentIndex(), grid->model()->index(59, 3));
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));

    // A link whose sheet is gone leaves the view where it is and says so.
    fixture.tabs()->setCurrentIndex(0);
    const QModelIndex dead = grid->model()->index(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(dead).center());
    QCOMPARE(fixture.tabs()->currentIndex(), 0);
    QCOMPARE(grid->currentIndex(), dead);
    QVERIFY(fixture.window->findChild<QLabel*>("SelectionStatus")->text().contains("\"Deleted\""));
}

void WorkbookWindowTest::theFrozenRowFollowsTheZoom() {
    WindowFixture fixture;
    Worksheet& sheet = fixture.instance->activeWorkbook().sheet("orders.csv");
    for (int row = 2; row <= 80; ++row)
        sheet.cells().setText(row, 1, std::to_string(row));
    // A column wider than the grid, scrolled to its end: the grid places it by pixels.
    sheet.setColumnWidth(3, kMaxColumnWidth);
    fixture.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
    fixture.window->refresh();
    auto* grid = static_cast<SheetGrid*>(fixture.grid());
    fixture.window->findChild<QAction*>("FreezeTopRow")->trigger();
    auto* frozen = grid->findChild<QTableView*>("FrozenRow");
    QVERIFY(frozen);
    grid->setCurrentIndex(grid->model()->index(40, 2));
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    // The band is row 1 as the grid draws it at the top, its number included: as tall, in the
    // same font, its columns where the grid's are, so that it neither covers row 2 nor is cut
    // short.
    for (const int zoom : {50, 200, 60, 100}) {
        grid->setZoom(zoom);
        QCoreApplication::processEvents();
        QCOMPARE(frozen->font().pointSizeF(), grid->font().pointSizeF());
        QCOMPARE(frozen->verticalHeader()->viewport()->font().pointSizeF(),
                 grid->verticalHeader()->viewport()->font().pointSizeF());
        for (int column = 0; column < 5; ++column)
            QCOMPARE(frozen->columnViewportPosition(column), grid->columnViewportPosition(column));
        QCOMPARE(frozen->rowHeight(0), grid->rowHeight(0));
        QCOMPARE(frozen->geometry().top(), grid->viewport()->geometry().top());
        QCOMPARE(frozen->verticalHeader()->width(), grid->verticalHeader()->width());
    }
}

void WorkbookWindowTest::aDoubleClickedBorderFitsTheRowsInViewWhole() {
    WindowFixture fixture;
    CellStore& cells = fixture.instance->activeWorkbook().sheet("orders.csv").cells();
    const std::string longText(90, 'x');
    for (int row = 2; row <= 300; ++row)
        cells.setText(row, 2, "short");
    // Wider than any column is fitted by itself, and below the rows first in view.
    cells.setText(150, 2, longText);
    fixture.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
    fixture.window->refresh();
    QTableView* grid = fixture.grid();
    QHeaderView* header = grid->horizontalHeader();
    const auto doubleClickBorder = [&](int column) {
        const int border =
            header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                           QPoint(border, header->height() / 2));
    };
    // At the top, what the rows in view show: the long value far below does not count.
    grid->setColumnWidth(1, 400);
    doubleClickBorder(1);
    QCOMPARE(grid->columnWidth(1), columnPixels(*grid, 6));
    // With the long value in view, it is fitted whole, wider than a fitted column may be.
    grid->scrollTo(grid->model()->index(149, 1), QAbstractItemView::PositionAtCenter);
    doubleClickBorder(1);
    QCOMPARE(grid->columnWidth(1), columnPixels(*grid, 91));
    QCOMPARE(columnWidths(fixture.instance->activeWorkbook().sheet("orders.csv")).at(1), 91.0);
}

void WorkbookWindowTest::aSheetShownAgainKeepsItsCellAndScrolledPlace() {
    ImportedWindow imported;
    CellStore& order = imported.result().sheet("order").cells();
    for (int row = 4; row <= 400; ++row)
        order.setText(row, 1, std::to_string(row));
    imported.window->refresh();
    imported.showSheet("order");
    QTableView* grid = imported.grid();
    grid->horizontalHeader()->resizeSection(2, 90);
    imported.select(300, 3);
    grid->scrollTo(grid->currentIndex(), QAbstractItemView::PositionAtCenter);
    const int scrolled = grid->verticalScrollBar()->value();
    QVERIFY(scrolled > 200);

    imported.showSheet("customer");
    QCOMPARE(imported.current(), QStringLiteral("customer!A1"));
    // The width dragged is the other sheet's, not this one's.
    QCOMPARE(grid->columnWidth(2), columnPixels(*grid, kDefaultColumnWidth));
    imported.select(2, 2);
    imported.showSheet("order");
    QCOMPARE(imported.current(), QStringLiteral("order!C300"));
    QCOMPARE(imported.cellBar(), QStringLiteral("C300 "));
    QCOMPARE(grid->verticalScrollBar()->value(), scrolled);
    QCOMPARE(grid->columnWidth(2), 90);
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
    imported.showSheet("customer");
    QCOMPARE(imported.current(), QStringLiteral("customer!B2"));
    QCOMPARE(grid->verticalScrollBar()->value(), 0);
}

void WorkbookWindowTest::escapeClosesTheFindBarAndTheKeysGoBackToTheGrid() {
    ImportedWindow imported;
    imported.showSheet("order");
    QVERIFY(QTest::qWaitForWindowActive(imported.window.get()));
    auto* text = imported.find<QLineEdit>("FindText");
    for (const bool byButton : {false, true}) {
        QTest::keyClick(imported.grid(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(text->isVisible());
        QTest::keyClicks(text, "12.00");
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(imported.current(), QStringLiteral("order!C3"));
        if (byButton)
            QTest::mouseClick(imported.window->findChild<QPushButton*>("CloseFind"),
                              Qt::LeftButton);
        else
            QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!text->isVisible());
        QCOMPARE(QApplication::focusWidget(), imported.grid());
        // The keys work on the cells at once.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(imported.current(), QStringLiteral("order!C2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("6.90\n"));
        imported.select(1, 1);
    }
}

void WorkbookWindowTest::statusNumbersShowAsASpreadsheetShowsThem_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("shown");
    const QLocale c = QLocale::c();
    QTest::newRow("noise past 15 digits") << 482438551.31999993 << c << "482,438,551.32";
    QTest::newRow("noise of a sum") << 0.1 + 0.2 << c << "0.3";
    QTest::newRow("a whole number") << 7.0 << c << "7";
    QTest::newRow("negative") << -1234.5 << c << "-1,234.5";
    QTest::newRow("zero, also negative") << -0.0 << c << "0";
    QTest::newRow("15 digits of a third") << 1.0 / 3 << c << "0.333333333333333";
    QTest::newRow("largest in full") << 999999999999999.0 << c << "999,999,999,999,999";
    QTest::newRow("rounded up to 1e15") << 999999999999999.9 << c << "1e+15";
    QTest::newRow("past 1e15") << 3.19383351022813e17 << c << "3.19383351022813e+17";
    QTest::newRow("tiny") << 1e-7 << c << "0.0000001";
    QTest::newRow("tiny with digits") << -1.25e-9 << c << "-0.00000000125";
    QTest::newRow("tinier") << 1.5e-10 << c << "1.5e-10";
    QTest::newRow("German") << 1234567.25 << QLocale(QLocale::German, QLocale::Germany)
                            << "1.234.567,25";
}

void WorkbookWindowTest::statusNumbersShowAsASpreadsheetShowsThem() {
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, shown);
    QCOMPARE(statusNumber(value, locale), shown);
}

void WorkbookWindowTest::eachWorkbookHasATitleOfItsOwnAndSavingKeepsItsFile() {
    // Every run of the program's gives a workbook of its own name, as the windows show.
    PresentedRun run(ImportRoute::WithoutDatabase, SendMode::OneSheet);
    run.surface.files << run.file("a.xml", "<r><v>1</v></r>");
    run.run();
    QCOMPARE(run.window->windowTitle(), QStringLiteral("Book1 - Brindlequay"));
    std::unique_ptr<WorkbookWindow> first = std::move(run.window);
    run.run();
    QCOMPARE(run.window->windowTitle(), QStringLiteral("Book2 - Brindlequay"));
    QCOMPARE(first->windowTitle(), QStringLiteral("Book1 - Brindlequay"));

    // Ctrl+S saves through the chooser the first time, then to the same file without asking;
    // the window is then named after its file.
    WorkbookWindow& window = *run.window;
    QVERIFY(QTest::qWaitForWindowActive(&window));
    run.windowDialogs.saveAnswers = {run.folder.filePath("kept")};
    QTest::keyClick(run.grid(), Qt::Key_S, Qt::ControlModifier);
    const QString kept = run.folder.filePath("kept.xlsx");
    QVERIFY(QFile::exists(kept));
    QCOMPARE(run.windowDialogs.suggestedSavePaths.size(), 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("kept.xlsx - Brindlequay"));
    Workbook& book = run.shown.back()->activeWorkbook();
    book.activeSheet().cells().setText(9, 1, "added later");
    QVERIFY(book.isModified());
    // As the window manager gives the keys back once the saving's progress is gone.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(run.grid(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(run.windowDialogs.suggestedSavePaths.size(), 1);
    QVERIFY(!book.isModified());
    QVERIFY(xlsxEntry(kept, "xl/sharedStrings.xml").contains("added later"));
    QVERIFY(run.windowDialogs.shown.empty());
    // Save As proposes the file's own name; closing a changed workbook names it too, and Yes
    // saves it where it is.
    QVERIFY(!window.saveAs());
    QCOMPARE(QFileInfo(run.windowDialogs.suggestedSavePaths.at(1)).fileName(),
             QStringLiteral("kept.xlsx"));
    book.activeSheet().cells().setText(10, 1, "added last");
    run.windowDialogs.questionAnswers = {MessageAnswer::Yes};
    QVERIFY(window.close());
    QCOMPARE(run.windowDialogs.shown.back().text,
             QStringLiteral("Do you want to save the changes you made to 'kept.xlsx'?"));
    QCOMPARE(run.windowDialogs.suggestedSavePaths.size(), 2);
    QVERIFY(xlsxEntry(kept, "xl/sharedStrings.xml").contains("added last"));
}

void WorkbookWindowTest::controlPageDownAndUpChangeTheSheet() {
    ImportedWindow imported;
    imported.showSheet("line");
    QVERIFY(QTest::qWaitForWindowActive(imported.window.get()));
    imported.select(2, 2);
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        return imported.current();
    };
    QCOMPARE(press(Qt::Key_PageDown), QStringLiteral("customer!A1"));
    QCOMPARE(press(Qt::Key_PageDown), QStringLiteral("order!A1"));
    QCOMPARE(press(Qt::Key_PageDown), QStringLiteral("Sheet1!A1"));
    // No further than the last sheet or the first.
    QCOMPARE(press(Qt::Key_PageDown), QStringLiteral("Sheet1!A1"));
    QCOMPARE(press(Qt::Key_PageUp), QStringLiteral("order!A1"));
    QCOMPARE(press(Qt::Key_PageUp), QStringLiteral("customer!A1"));
    QCOMPARE(press(Qt::Key_PageUp), QStringLiteral("line!B2"));
    QCOMPARE(press(Qt::Key_PageUp), QStringLiteral("line!B2"));
    QCOMPARE(QApplication::focusWidget(), imported.grid());
}

void WorkbookWindowTest::goToShowsTheCellTyped() {
    ImportedWindow imported;
    imported.showSheet("order");
    QVERIFY(QTest::qWaitForWindowActive(imported.window.get()));
    const auto goTo = [&](const QString& typed) {
        imported.windowDialogs.inputAnswers = {typed};
        QTest::keyClick(imported.grid(), Qt::Key_G, Qt::ControlModifier);
        return imported.current();
    };
    QCOMPARE(goTo("c3"), QStringLiteral("order!C3"));
    QCOMPARE(imported.cellBar(), QStringLiteral("C3 12"));
    QCOMPARE(goTo(" customer!B2 "), QStringLiteral("customer!B2"));
    QCOMPARE(goTo("'Order'!$A$2"), QStringLiteral("order!A2"));
    // A cell beyond the rows and columns the grid shows is shown all the same.
    QCOMPARE(goTo("AB5000"), QStringLiteral("order!AB5000"));
    QVERIFY(imported.grid()->viewport()->rect().contains(
        imported.grid()->visualRect(imported.grid()->currentIndex())));
    QVERIFY(imported.windowDialogs.shown.empty());

    // Cancelled, nothing happens; what is no cell of this workbook is said plainly.
    QCOMPARE(goTo(""), QStringLiteral("order!AB5000"));
    QVERIFY(imported.windowDialogs.shown.empty());
    // Which texts name a cell is the parser's own test; here, that the window says so.
    for (const QString& wrong : {QStringLiteral("XFE1"), QStringLiteral("hello world")}) {
        QCOMPARE(goTo(wrong), QStringLiteral("order!AB5000"));
        QCOMPARE(
            imported.windowDialogs.shown.back().text,
            QStringLiteral("\"%1\" is not a cell reference such as B12 or Sheet2!C3.").arg(wrong));
    }
    QCOMPARE(goTo("Missing!A1"), QStringLiteral("order!AB5000"));
    QCOMPARE(imported.windowDialogs.shown.back().text,
             QStringLiteral("The workbook has no sheet named \"Missing\"."));
}

void WorkbookWindowTest::openingWithNoApplicationSaysSoPlainly() {
    WindowFixture fixture;
    fixture.desktop.opens = false;
    qputenv("TEMP", fixture.folder.path().toUtf8());
    fixture.window->openInSpreadsheetApplication();
    qunsetenv("TEMP");
    QCOMPARE(fixture.desktop.openedFiles.size(), 1);
    QCOMPARE(fixture.dialogs.shownTexts(),
             QStringList{"No application on this system opens .xlsx files.\r\nUse Save As… to "
                         "keep the workbook."});
    // The copy that nothing took is not left behind.
    QVERIFY(!QFileInfo::exists(fixture.desktop.openedFiles[0]));
    QVERIFY(!QFileInfo::exists(QFileInfo(fixture.desktop.openedFiles[0]).path()));
}

QTEST_MAIN(WorkbookWindowTest)
#include "WorkbookWindowTest.moc"
