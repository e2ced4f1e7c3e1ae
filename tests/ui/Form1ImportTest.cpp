#include "ui/Form1.h"

#include "support/MainWindowFixture.h"
#include "support/TreeBuilder.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {
struct ImportFixture : MainWindowFixture {
    ImportFixture() {
        engine.setPresenter([this](std::shared_ptr<EngineInstance> i) { results.push_back(i); });
        window.Form_Load();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
        qputenv("TEMP", temp.path().toUtf8());
    }
    ~ImportFixture() { qunsetenv("TEMP"); }
    QString xml(const char* name, const QByteArray& text) {
        return writeFile(inputs.filePath(name), text);
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    QTemporaryDir inputs;
    QTemporaryDir temp;
    std::vector<std::shared_ptr<EngineInstance>> results;
};
} // namespace

class Form1ImportTest : public QObject {
    Q_OBJECT
private slots:
    void startImportsTheListIntoAVisibleWorkbook();
    void nothingChangesTheListOrOptionsWhileARunIsUnderWay();
    void closingTheWindowEndsARunAtOnce();
};

void Form1ImportTest::startImportsTheListIntoAVisibleWorkbook() {
    ImportFixture fixture;
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QTest::mouseClick(fixture.control<QRadioButton>("Option2"), Qt::LeftButton);
    const QString broken = fixture.xml("broken.xml", "<a><b></a>");
    fixture.window.fileList().appendAll({fixture.xml("orders.xml", "<o><id>7</id></o>"), broken});
    fixture.click("PushButton4");

    QCOMPARE(
        fixture.dialogs.shownTexts(),
        (QStringList{"Error reading " + broken + "\r\nerror:mismatched tag\r\nLine:1\r\nposition:9",
                     "Done."}));
    QCOMPARE(fixture.results.size(), std::size_t(1));
    QCOMPARE(fixture.results[0]->activeWorkbook().sheetNames().first(),
             QStringLiteral("orders.csv"));
    QCOMPARE(fixture.control<QProgressBar>("ProgressBar1")->value(), 0);
    QCOMPARE(fixture.window.mousePointer(), 0);
    QVERIFY(!fixture.window.runUnderway());

    // A second run finds the first result running and asks before going on.
    fixture.dialogs.questionAnswers = {MessageAnswer::No};
    fixture.click("PushButton4");
    QCOMPARE(fixture.dialogs.shown.back().buttons, MessageButtons::YesNo);
}

void Form1ImportTest::nothingChangesTheListOrOptionsWhileARunIsUnderWay() {
    ImportFixture fixture;
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QTest::mouseClick(fixture.control<QRadioButton>("Option2"), Qt::LeftButton);
    fixture.window.fileList().appendAll(
        {fixture.xml("a.xml", "<a><v>1</v></a>"), fixture.xml("b.xml", "<b><v>2</v></b>")});
    fixture.desktop.openedFolders.clear();
    bool triedDuringRun = false;
    // The output lets pending events run between files: everything a user could do then.
    QMetaObject::invokeMethod(
        &fixture.window,
        [&] {
            triedDuringRun = fixture.window.runUnderway();
            fixture.click("PushButton4");
            fixture.click("PushButton7");
            fixture.click("PushButton8");
            QTest::mouseClick(fixture.control<QRadioButton>("Option1"), Qt::LeftButton);
            QTest::mouseClick(fixture.control<QRadioButton>("Option3"), Qt::LeftButton);
            auto* list = fixture.control<QTreeView>("ListView1");
            list->setCurrentIndex(list->model()->index(0, 0));
            QTest::keyClick(list, Qt::Key_Delete);
        },
        Qt::QueuedConnection);
    fixture.click("PushButton4");

    QVERIFY(triedDuringRun);
    QCOMPARE(fixture.window.fileList().count(), 2);
    QVERIFY(fixture.selected("Option2"));
    QVERIFY(fixture.selected("Option4"));
    QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
    QCOMPARE(fixture.results.size(), std::size_t(1));
    QCOMPARE(fixture.results[0]->activeWorkbook().sheetCount(), 5);

    // Once the run is over, the same actions work again.
    fixture.click("PushButton7");
    QCOMPARE(fixture.window.fileList().count(), 0);
}

void Form1ImportTest::closingTheWindowEndsARunAtOnce() {
    ImportFixture fixture;
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    fixture.window.fileList().appendAll(
        {fixture.xml("a.xml", "<a><v>1</v></a>"), fixture.xml("b.xml", "<b><v>2</v></b>")});
    QMetaObject::invokeMethod(
        &fixture.window, [&] { fixture.window.close(); }, Qt::QueuedConnection);
    fixture.click("PushButton4");

    QVERIFY(!fixture.window.isVisible());
    QVERIFY(!fixture.window.runUnderway());
    QVERIFY(fixture.dialogs.shown.empty());
    QVERIFY(fixture.results.empty());
    QVERIFY(fixture.engine.runningInstances().empty());
}

QTEST_MAIN(Form1ImportTest)
#include "Form1ImportTest.moc"
