#include "ui/Form1.h"

#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {
using Fixture = MainWindowFixture;

void moveOver(QWidget* widget) {
    const QPointF inside(2, 2);
    QMouseEvent move(QEvent::MouseMove, inside, widget->mapToGlobal(inside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void click(Fixture& fixture, const char* name) {
    QTest::mouseClick(fixture.control<QAbstractButton>(name), Qt::LeftButton);
}
} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void optionsStartAsDefaultsAndAClickSavesItsPair();
    void storedOptionTexts_data();
    void storedOptionTexts();
    void startUpGoesOnPastWhatFails();
    void skinAndHandPictureAreOptional();
    void pointerFollowsTheControlsButKeepsTheHourglass();
};

void Form1Test::optionsStartAsDefaultsAndAClickSavesItsPair() {
    Fixture fixture;
    fixture.window.Form_Load();
    fixture.window.show();
    QVERIFY(fixture.selected("Option1") && fixture.selected("Option3"));
    QVERIFY(!fixture.selected("Option2") && !fixture.selected("Option4"));
    QVERIFY(!QFile::exists(fixture.folder.filePath("Kestrelix.ini")));

    click(fixture, "Option2");
    QVERIFY(fixture.selected("Option2") && !fixture.selected("Option1"));
    QCOMPARE(fixture.stored("Option1"), QStringLiteral("False"));
    QCOMPARE(fixture.stored("Option2"), QStringLiteral("True"));
    QCOMPARE(fixture.stored("Option3"), QStringLiteral("-"));
    // A click on the selected button keeps it selected.
    click(fixture, "Option2");
    QVERIFY(fixture.selected("Option2"));
    // The help is the same whatever the options.
    click(fixture, "PushButton3");
    click(fixture, "Option4");
    QCOMPARE(fixture.stored("Option3"), QStringLiteral("False"));
    QCOMPARE(fixture.stored("Option4"), QStringLiteral("True"));
    click(fixture, "PushButton3");
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(2));
    QCOMPARE(fixture.dialogs.shown[0], fixture.dialogs.shown[1]);
    QVERIFY(fixture.dialogs.shown[0].text.startsWith(QStringLiteral("Make sure XML files")));
}

void Form1Test::storedOptionTexts_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<bool>("lowerSelected");
    QTest::addColumn<QString>("upperStoredAfter");
    QTest::addColumn<bool>("reported");

    QTest::newRow("both false leaves none selected") << "False"
                                                     << "False" << false << "False" << false;
    QTest::newRow("both true selects the lower and rewrites the store")
        << "1"
        << "TRUE" << true << "False" << false;
    QTest::newRow("other text is reported and kept") << "yes"
                                                     << "False" << false << "yes" << true;
}

void Form1Test::storedOptionTexts() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(bool, lowerSelected);
    QFETCH(QString, upperStoredAfter);
    QFETCH(bool, reported);

    Fixture fixture;
    for (const char* key : {"Option1", "Option3"})
        fixture.settings.SaveSetting(key, upper);
    for (const char* key : {"Option2", "Option4"})
        fixture.settings.SaveSetting(key, lower);
    fixture.window.Form_Load();

    for (const char* key : {"Option2", "Option4"})
        QCOMPARE(fixture.selected(key), lowerSelected);
    for (const char* key : {"Option1", "Option3"})
        QCOMPARE(fixture.stored(key), upperStoredAfter);
    // One report per frame, each naming the failing step; start-up goes on past both.
    const QStringList texts = fixture.dialogs.shownTexts();
    QCOMPARE(texts.size(), reported ? 2 : 0);
    if (reported) {
        QVERIFY(texts[0].contains(QStringLiteral("Form_Load at line 128")));
        QVERIFY(texts[1].contains(QStringLiteral("Form_Load at line 132")));
    }
}

void Form1Test::startUpGoesOnPastWhatFails() {
    Fixture fixture;
    QFile broken(fixture.folder.filePath("dist/HAND-M.CUR"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    fixture.window.Form_Load();
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QVERIFY(fixture.dialogs.shown[0].text.contains(QStringLiteral("Form_Load at line 106")));
    QVERIFY(!fixture.window.hasMouseIcon());
    QCOMPARE(fixture.window.windowTitle(), QStringLiteral("Brindlequay"));

    // A spreadsheet application that fails to start or gives nothing is said so, and the
    // options are still restored.
    for (const bool throws : {true, false}) {
        class Unavailable final : public SpreadsheetApplications {
        public:
            explicit Unavailable(bool throws) : m_throws(throws) {}
            std::shared_ptr<SpreadsheetApplication> create() override {
                if (m_throws)
                    throw std::runtime_error("no such class");
                return nullptr;
            }
            std::shared_ptr<SpreadsheetApplication> attachRunning() override { return create(); }

        private:
            bool m_throws;
        } unavailable(throws);
        Fixture without(&unavailable);
        without.window.Form_Load();
        QCOMPARE(without.dialogs.shown.size(), std::size_t(1));
        QVERIFY(without.dialogs.shown[0].text.startsWith(QStringLiteral("Excel is not installed")));
        QVERIFY(without.selected("Option1"));
    }
}

void Form1Test::skinAndHandPictureAreOptional() {
    Fixture plain;
    plain.window.Form_Load();
    QVERIFY(plain.window.styleSheet().isEmpty());
    QVERIFY(!plain.window.hasMouseIcon());
    plain.window.setMousePointer(99);
    QCOMPARE(plain.window.cursor().shape(), Qt::ArrowCursor);

    Fixture dressed;
    dressed.deliver(QStringLiteral("x/o.cjs"));
    dressed.deliver(QStringLiteral("HAND-M.CUR"));
    dressed.window.Form_Load();
    QVERIFY(dressed.window.palette().color(QPalette::Window) !=
            plain.window.palette().color(QPalette::Window));
    QVERIFY(!dressed.window.styleSheet().isEmpty());
    dressed.window.setMousePointer(99);
    QCOMPARE(dressed.window.cursor().shape(), Qt::BitmapCursor);
    QVERIFY(dressed.dialogs.shown.empty());
}

void Form1Test::pointerFollowsTheControlsButKeepsTheHourglass() {
    Fixture fixture;
    fixture.deliver(QStringLiteral("HAND-M.CUR"));
    fixture.window.Form_Load();
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    Form1& window = fixture.window;
    QWidget* button = fixture.control<QPushButton>("PushButton4");
    QWidget* list = fixture.control<QTreeView>("ListView1")->viewport();

    // The hand over a button stays over an option button; the frame, the list and the window
    // turn it back into the arrow.
    for (QWidget* plain : {static_cast<QWidget*>(&window),
                           static_cast<QWidget*>(fixture.control<QGroupBox>("Frame1")), list}) {
        moveOver(button);
        QCOMPARE(window.mousePointer(), 99);
        moveOver(fixture.control<QRadioButton>("Option1"));
        QCOMPARE(window.mousePointer(), 99);
        moveOver(plain);
        QCOMPARE(window.mousePointer(), 0);
    }

    window.setMousePointer(11);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    for (QWidget* over : {button, static_cast<QWidget*>(&window), list}) {
        moveOver(over);
        QCOMPARE(window.mousePointer(), 11);
    }
    window.setMousePointer(0);
    moveOver(button);
    QCOMPARE(window.mousePointer(), 99);
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
