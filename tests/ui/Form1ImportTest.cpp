#include "ui/Form1.h"

#include "support/MainWindowFixture.h"
#include "support/TreeBuilder.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {
// A shown main window set to import without the database into one sheet per file.
struct ImportFixture : MainWindowFixture {
    ImportFixture() {
        engine.setPresenter([this](std::shared_ptr<EngineInstance> i) { results.push_back(i); });
        loadAndShow();
        qputenv("TEMP", temp.path().toUtf8());
        click("Option4");
        click("Option2");
        window.fileList().appendAll(
            {xml("a.xml", "<a><v>1</v></a>"), xml("b.xml", "<b><v>2</v></b>")});
    }
    ~ImportFixture() { qunsetenv("TEMP"); }
    QString xml(const char* name, const QByteArray& text) {
        return writeFile(inputs.filePath(name), text);
    }

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
    const QString broken = fixture.xml("broken.xml", "<a><b></a>");
    fixture.window.fileList().append(broken);
    fixture.click("PushButton4");
    const QStringList texts = fixture.dialogs.shownTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts[0].startsWith("Error reading " + broken));
    QCOMPARE(texts[1], QStringLiteral("Done."));
    QCOMPARE(fixture.results.size(), std::size_t(1));
    QCOMPARE(fixture.results[0]->activeWorkbook().sheetNames().first(), QStringLiteral("b.csv"));
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
    bool triedDuringRun = false;
    // The output lets pending events run between files: everything a user could do then.
    QMetaObject::invokeMethod(
        &fixture.window,
        [&] {
            triedDuringRun = fixture.window.runUnderway();
            for (const char* control :
                 {"PushButton4", "PushButton7", "PushButton8", "Option1", "Option3"})
                fixture.click(control);
            auto* list = fixture.control<QTreeView>("ListView1");
            list->setCurrentIndex(list->model()->index(0, 0));
            QTest::keyClick(list, Qt::Key_Delete);
        },
        Qt::QueuedConnection);
    fixture.click("PushButton4");

    QVERIFY(triedDuringRun);
    QCOMPARE(fixture.window.fileList().count(), 2);
    QVERIFY(fixture.selected("Option2") && fixture.selected("Option4"));
    QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
    QCOMPARE(fixture.results.size(), std::size_t(1));

    // Once the run is over, the same actions work again.
    fixture.click("PushButton7");
    QCOMPARE(fixture.window.fileList().count(), 0);
}

void Form1ImportTest::closingTheWindowEndsARunAtOnce() {
    ImportFixture fixture;
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
