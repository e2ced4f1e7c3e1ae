#include "ui/Form1.h"

#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {
using Fixture = MainWindowFixture;

void moveOver(QWidget* widget) {
    const QPointF inside(2, 2);
    QMouseEvent move(QEvent::MouseMove, inside, widget->mapToGlobal(inside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void optionsOnFirstStart();
    void storedOptionTexts_data();
    void storedOptionTexts();
    void clickingAnOptionSavesItsPair();
    void skinFileDecidesTheBackground();
    void handPictureIsOptional();
    void unreadableHandPictureIsReportedAndStartUpGoesOn();
    void pointerFollowsTheControlsButKeepsTheHourglass();
    void spreadsheetApplicationThatCannotStart_data();
    void spreadsheetApplicationThatCannotStart();
    void helpShowsTheSameMessageWhateverTheOptions();
};

void Form1Test::optionsOnFirstStart() {
    Fixture fixture;
    fixture.window.Form_Load();
    QVERIFY(fixture.selected("Option1"));
    QVERIFY(!fixture.selected("Option2"));
    QVERIFY(fixture.selected("Option3"));
    QVERIFY(!fixture.selected("Option4"));
    QVERIFY(!QFile::exists(fixture.folder.filePath(QStringLiteral("Kestrelix.ini"))));
}

void Form1Test::storedOptionTexts_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<bool>("upperSelected");
    QTest::addColumn<bool>("lowerSelected");
    QTest::addColumn<QString>("upperStoredAfter");
    QTest::addColumn<QString>("lowerStoredAfter");
    QTest::addColumn<int>("reportedStep");

    QTest::newRow("both false leaves none selected and the store alone")
        << "False"
        << "False" << false << false << "False"
        << "False" << 0;
    QTest::newRow("both true selects the lower and rewrites the store")
        << "True"
        << "True" << false << true << "False"
        << "True" << 0;
    QTest::newRow("numbers read as booleans") << "0"
                                              << "1" << false << true << "False"
                                              << "True" << 0;
    QTest::newRow("any letter case") << "false"
                                     << "TRUE" << false << true << "False"
                                     << "True" << 0;
    QTest::newRow("other text is a type mismatch and keeps the value")
        << "yes"
        << "False" << true << false << "yes"
        << "False" << 128;
}

void Form1Test::storedOptionTexts() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(bool, upperSelected);
    QFETCH(bool, lowerSelected);
    QFETCH(QString, upperStoredAfter);
    QFETCH(QString, lowerStoredAfter);
    QFETCH(int, reportedStep);

    Fixture fixture;
    fixture.settings.SaveSetting(QStringLiteral("Option1"), upper);
    fixture.settings.SaveSetting(QStringLiteral("Option2"), lower);
    fixture.settings.SaveSetting(QStringLiteral("Option3"), upper);
    fixture.settings.SaveSetting(QStringLiteral("Option4"), lower);
    fixture.window.Form_Load();

    QCOMPARE(fixture.selected("Option1"), upperSelected);
    QCOMPARE(fixture.selected("Option2"), lowerSelected);
    QCOMPARE(fixture.selected("Option3"), upperSelected);
    QCOMPARE(fixture.selected("Option4"), lowerSelected);
    QCOMPARE(fixture.stored(QStringLiteral("Option1")), upperStoredAfter);
    QCOMPARE(fixture.stored(QStringLiteral("Option2")), lowerStoredAfter);
    QCOMPARE(fixture.stored(QStringLiteral("Option3")), upperStoredAfter);
    QCOMPARE(fixture.stored(QStringLiteral("Option4")), lowerStoredAfter);

    if (reportedStep == 0) {
        QVERIFY(fixture.dialogs.shown.empty());
        return;
    }
    // One report per frame, each naming the failing step.
    QCOMPARE(fixture.dialogs.shownTexts(),
             (QStringList{QStringLiteral("Type mismatch\r\nin Tamsforge2/19/2015.Form1.Form_Load "
                                         "at line 128\r\rPlease email screenshot of this "
                                         "message to support@brindlequay.example"),
                          QStringLiteral("Type mismatch\r\nin Tamsforge2/19/2015.Form1.Form_Load "
                                         "at line 132\r\rPlease email screenshot of this "
                                         "message to support@brindlequay.example")}));
}

void Form1Test::clickingAnOptionSavesItsPair() {
    Fixture fixture;
    fixture.window.Form_Load();
    fixture.window.show();
    QTest::mouseClick(fixture.control<QRadioButton>("Option2"), Qt::LeftButton);
    QVERIFY(fixture.selected("Option2"));
    QVERIFY(!fixture.selected("Option1"));
    QCOMPARE(fixture.stored(QStringLiteral("Option1")), QStringLiteral("False"));
    QCOMPARE(fixture.stored(QStringLiteral("Option2")), QStringLiteral("True"));
    QCOMPARE(fixture.stored(QStringLiteral("Option3")), QStringLiteral("-"));

    // A click on the selected button keeps it selected.
    QTest::mouseClick(fixture.control<QRadioButton>("Option2"), Qt::LeftButton);
    QVERIFY(fixture.selected("Option2"));

    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QCOMPARE(fixture.stored(QStringLiteral("Option3")), QStringLiteral("False"));
    QCOMPARE(fixture.stored(QStringLiteral("Option4")), QStringLiteral("True"));
}

void Form1Test::skinFileDecidesTheBackground() {
    Fixture plain;
    plain.window.Form_Load();
    QCOMPARE(plain.window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(plain.control<QGroupBox>("Frame1")->palette().color(QPalette::Window),
             QColor(Qt::white));
    QVERIFY(plain.window.styleSheet().isEmpty());

    Fixture skinned;
    skinned.deliver(QStringLiteral("x/o.cjs"));
    skinned.window.Form_Load();
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    QCOMPARE(skinned.window.palette().color(QPalette::Window), buttonFace);
    QCOMPARE(skinned.control<QRadioButton>("Option3")->palette().color(QPalette::Window),
             buttonFace);
    QVERIFY(skinned.window.styleSheet().contains(QStringLiteral("QPushButton")));
    QVERIFY(skinned.dialogs.shown.empty());
}

void Form1Test::handPictureIsOptional() {
    Fixture without;
    without.window.Form_Load();
    QVERIFY(!without.window.hasMouseIcon());
    without.window.setMousePointer(99);
    QCOMPARE(without.window.cursor().shape(), Qt::ArrowCursor);

    Fixture with;
    with.deliver(QStringLiteral("HAND-M.CUR"));
    with.window.Form_Load();
    QVERIFY(with.window.hasMouseIcon());
    QCOMPARE(with.window.mousePointer(), 0);
    with.window.setMousePointer(99);
    QCOMPARE(with.window.cursor().shape(), Qt::BitmapCursor);
    QVERIFY(with.dialogs.shown.empty());
}

void Form1Test::unreadableHandPictureIsReportedAndStartUpGoesOn() {
    Fixture fixture;
    QFile broken(fixture.folder.filePath(QStringLiteral("dist/HAND-M.CUR")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    fixture.window.Form_Load();
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QVERIFY(fixture.dialogs.shown[0].text.contains(QStringLiteral("Form_Load at line 106")));
    QVERIFY(!fixture.window.hasMouseIcon());
    QCOMPARE(fixture.window.windowTitle(), QStringLiteral("Brindlequay"));
}

void Form1Test::pointerFollowsTheControlsButKeepsTheHourglass() {
    Fixture fixture;
    fixture.deliver(QStringLiteral("HAND-M.CUR"));
    fixture.window.Form_Load();
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    Form1& window = fixture.window;

    for (const char* button : {"PushButton1", "PushButton2", "PushButton3", "PushButton4",
                               "PushButton5", "PushButton6", "PushButton7", "PushButton8"}) {
        moveOver(&window);
        QCOMPARE(window.mousePointer(), 0);
        moveOver(fixture.control<QPushButton>(button));
        QCOMPARE(window.mousePointer(), 99);
    }
    // From a button straight onto an option button or the bar: no handler, the hand stays.
    moveOver(fixture.control<QRadioButton>("Option1"));
    QCOMPARE(window.mousePointer(), 99);
    moveOver(fixture.control<QProgressBar>("ProgressBar1"));
    QCOMPARE(window.mousePointer(), 99);
    // The frame's own area, the list and the window turn it back into the arrow.
    moveOver(fixture.control<QGroupBox>("Frame1"));
    QCOMPARE(window.mousePointer(), 0);
    moveOver(fixture.control<QPushButton>("PushButton4"));
    moveOver(fixture.control<QGroupBox>("Frame2"));
    QCOMPARE(window.mousePointer(), 0);
    moveOver(fixture.control<QPushButton>("PushButton4"));
    moveOver(fixture.control<QTreeView>("ListView1")->viewport());
    QCOMPARE(window.mousePointer(), 0);

    window.setMousePointer(11);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    for (QWidget* over : {static_cast<QWidget*>(fixture.control<QPushButton>("PushButton4")),
                          static_cast<QWidget*>(&window),
                          static_cast<QWidget*>(fixture.control<QGroupBox>("Frame1")),
                          fixture.control<QTreeView>("ListView1")->viewport()}) {
        moveOver(over);
        QCOMPARE(window.mousePointer(), 11);
    }
    // After a long operation the arrow shows until the pointer moves again.
    window.setMousePointer(0);
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    moveOver(fixture.control<QPushButton>("PushButton4"));
    QCOMPARE(window.mousePointer(), 99);
}

void Form1Test::spreadsheetApplicationThatCannotStart_data() {
    QTest::addColumn<bool>("throws");
    QTest::newRow("creation fails") << true;
    QTest::newRow("creation gives no object") << false;
}

void Form1Test::spreadsheetApplicationThatCannotStart() {
    QFETCH(bool, throws);
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
    Fixture fixture(&unavailable);
    fixture.window.Form_Load();
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(fixture.dialogs.shown[0],
             (Message{QStringLiteral("Excel is not installed on this computer. You need to have "
                                     "it installed to use this software without error."),
                      MessageButtons::Ok, MessageIcon::None, QStringLiteral("Brindlequay")}));
    // Start-up went on to its end: the options were still restored.
    QVERIFY(fixture.selected("Option1"));
}

void Form1Test::helpShowsTheSameMessageWhateverTheOptions() {
    Fixture fixture;
    fixture.window.Form_Load();
    fixture.window.show();
    QTest::mouseClick(fixture.control<QPushButton>("PushButton3"), Qt::LeftButton);
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QTest::mouseClick(fixture.control<QPushButton>("PushButton3"), Qt::LeftButton);
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(2));
    QCOMPARE(fixture.dialogs.shown[0], fixture.dialogs.shown[1]);
    QCOMPARE(fixture.dialogs.shown[0].title, QStringLiteral("Brindlequay"));
    QCOMPARE(fixture.dialogs.shown[0].icon, MessageIcon::None);
    QCOMPARE(fixture.dialogs.shown[0].buttons, MessageButtons::Ok);
    QVERIFY(fixture.dialogs.shown[0].text.startsWith(QStringLiteral("Make sure XML files")));
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
