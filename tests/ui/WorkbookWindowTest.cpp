#include "ui/WorkbookWindow.h"

#include "office/SpreadsheetEngine.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedDialogs.h"

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
} // namespace

class WorkbookWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSheetsAndFollowsTheWorkbookWithoutSteeringIt();
    void savesAsXlsxThroughTheChooser();
    void closingAChangedWorkbookAsksFirst();
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
    QCOMPARE(QFile::permissions(handedOver.path()) &
                 ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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

QTEST_MAIN(WorkbookWindowTest)
#include "WorkbookWindowTest.moc"
