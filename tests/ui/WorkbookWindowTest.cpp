#include "ui/WorkbookWindow.h"

#include "import/ImportRun.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "support/ImportFixture.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

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
    QTabBar* tabs() { return window->findChild<QTabBar*>("SheetTabs"); }
    QTableView* grid() { return window->findChild<QTableView*>("Grid"); }
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
        find<QTabBar>("SheetTabs")->setCurrentIndex(result().sheetNames().indexOf(name));
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
        return find<QTabBar>("SheetTabs")->tabText(find<QTabBar>("SheetTabs")->currentIndex()) +
               "!" + cellReference(at.row() + 1, at.column() + 1);
    }

    inline static const QByteArray kLongNote =
        "Apfelstrudel mit Sahne und Vanillesauce, dazu ein Kännchen Kaffee für zwei Personen, "
        "bitte am Fenster\nzweite Zeile";
    ScriptedDialogs windowDialogs;
    RecordingDesktop desktop;
    std::unique_ptr<WorkbookWindow> window;
};
} // namespace

class WorkbookWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSheetsAndFollowsTheWorkbookWithoutSteeringIt();
    void savesAsXlsxThroughTheChooser();
    void closingAChangedWorkbookAsksFirst();
    void theCellBarShowsTheSelectedCellWhole();
    void columnsFitTheirFirstRowsAndADoubleClickedBorderFitsAgain();
    void theSheetListNarrowsToWhatIsTypedAndShowsTheActiveSheet();
    void copyingPutsTheSelectionOnTheClipboardAsTabSeparatedText();
    void findingSelectsTheNextMatchInTheSheetOrInAllSheets();
    void aLaterImportKeepsTheViewersPlaceAndItsSheet();
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
}

void WorkbookWindowTest::columnsFitTheirFirstRowsAndADoubleClickedBorderFitsAgain() {
    ImportedWindow imported;
    imported.showSheet("order");
    QTableView* grid = imported.grid();
    const int number = grid->columnWidth(0);
    const int note = grid->columnWidth(1);
    QVERIFY2(note > 2 * number, qPrintable(QString("%1 against %2").arg(note).arg(number)));
    // A long text does not push the other columns out of view.
    QVERIFY(note <= 360);
    QVERIFY(grid->columnWidth(2) >= grid->fontMetrics().horizontalAdvance("price"));

    grid->setColumnWidth(1, 20);
    emit grid->horizontalHeader()->sectionHandleDoubleClicked(1);
    QCOMPARE(grid->columnWidth(1), note);
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
    QCOMPARE(imported.find<QTabBar>("SheetTabs")->currentIndex(), 2);
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

QTEST_MAIN(WorkbookWindowTest)
#include "WorkbookWindowTest.moc"
