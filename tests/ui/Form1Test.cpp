#include "ui/Form1.h"

#include "support/MainWindowFixture.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

namespace {
using Fixture = MainWindowFixture;

void moveOver(QWidget* widget) {
    const QPointF inside(2, 2);
    QMouseEvent move(QEvent::MouseMove, inside, widget->mapToGlobal(inside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A spreadsheet application that fails to start, or starts and gives nothing.
struct Unavailable final : SpreadsheetApplications {
    explicit Unavailable(bool fails) : m_fails(fails) {}
    std::shared_ptr<SpreadsheetApplication> create() override {
        if (m_fails)
            throw std::runtime_error("no such class");
        return nullptr;
    }
    std::shared_ptr<SpreadsheetApplication> attachRunning() override { return create(); }
    bool m_fails;
};
} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void optionsStartAsDefaultsAndAClickSavesItsPair();
    void storedOptionsAreRestoredAndAnUnreadableOneIsReported();
    void startUpTakesWhatIsDeliveredAndGoesOnPastWhatFails();
    void pointerFollowsTheControlsButKeepsTheHourglass();
};

void Form1Test::optionsStartAsDefaultsAndAClickSavesItsPair() {
    Fixture fixture;
    fixture.loadAndShow();
    QVERIFY(fixture.selected("Option1") && fixture.selected("Option3"));
    QVERIFY(!fixture.selected("Option2") && !fixture.selected("Option4"));
    QVERIFY(!QFile::exists(fixture.folder.filePath("Kestrelix.ini")));

    fixture.click("Option2");
    fixture.click("Option2");
    QVERIFY(fixture.selected("Option2") && !fixture.selected("Option1"));
    QCOMPARE(fixture.stored("Option1") + fixture.stored("Option2") + fixture.stored("Option3"),
             QStringLiteral("FalseTrue-"));
    // The help is the same whatever the options.
    fixture.click("PushButton3");
    fixture.click("Option4");
    QCOMPARE(fixture.stored("Option3") + fixture.stored("Option4"), QStringLiteral("FalseTrue"));
    fixture.click("PushButton3");
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(2));
    QCOMPARE(fixture.dialogs.shown[0], fixture.dialogs.shown[1]);
    QVERIFY(fixture.dialogs.shown[0].text.startsWith(QStringLiteral("Make sure XML files")));
}

void Form1Test::storedOptionsAreRestoredAndAnUnreadableOneIsReported() {
    struct Stored {
        const char* upper;
        const char* lower;
        bool lowerSelected;
        const char* upperAfter;
        bool reported;
    };
    for (const Stored& stored :
         {Stored{"False", "False", false, "False", false},
          Stored{"1", "TRUE", true, "False", false}, Stored{"yes", "False", false, "yes", true}}) {
        Fixture fixture;
        for (const char* key : {"Option1", "Option3"})
            fixture.settings.SaveSetting(key, stored.upper);
        for (const char* key : {"Option2", "Option4"})
            fixture.settings.SaveSetting(key, stored.lower);
        fixture.window.Form_Load();
        QCOMPARE(fixture.selected("Option2"), stored.lowerSelected);
        QCOMPARE(fixture.selected("Option4"), stored.lowerSelected);
        QCOMPARE(fixture.stored("Option1"), QString(stored.upperAfter));
        QCOMPARE(fixture.stored("Option3"), QString(stored.upperAfter));
        // One report per frame, each naming its step, and start-up goes on past both.
        const QString reports = fixture.dialogs.shownTexts().join('|');
        QCOMPARE(fixture.dialogs.shown.size(), std::size_t(stored.reported ? 2 : 0));
        QCOMPARE(reports.contains("Form_Load at line 128") && reports.contains("line 132"),
                 stored.reported);
    }
}

void Form1Test::startUpTakesWhatIsDeliveredAndGoesOnPastWhatFails() {
    Fixture plain;
    writeFile(plain.folder.filePath("dist/HAND-M.CUR"), "not a picture");
    plain.window.Form_Load();
    QCOMPARE(plain.dialogs.shown.size(), std::size_t(1));
    QVERIFY(plain.dialogs.shown[0].text.contains(QStringLiteral("Form_Load at line 106")));
    QCOMPARE(plain.window.windowTitle(), QStringLiteral("Brindlequay"));
    QVERIFY(plain.window.styleSheet().isEmpty());
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

    for (const bool fails : {true, false}) {
        Unavailable unavailable(fails);
        Fixture without(&unavailable);
        without.window.Form_Load();
        QCOMPARE(without.dialogs.shownTexts().size(), 1);
        QVERIFY(without.dialogs.shownTexts()[0].startsWith(QStringLiteral("Excel is not")));
        QVERIFY(without.selected("Option1"));
    }
}

void Form1Test::pointerFollowsTheControlsButKeepsTheHourglass() {
    Fixture fixture;
    fixture.deliver(QStringLiteral("HAND-M.CUR"));
    fixture.loadAndShow();
    Form1& window = fixture.window;
    QWidget* button = fixture.control<QPushButton>("PushButton4");
    QWidget* list = fixture.control<QTreeView>("ListView1")->viewport();

    // The hand over a button stays over an option button; the frame, the list and the window
    // turn it back into the arrow.
    for (QWidget* plain : {static_cast<QWidget*>(&window),
                           static_cast<QWidget*>(fixture.control<QGroupBox>("Frame1")), list}) {
        moveOver(button);
        moveOver(fixture.control<QRadioButton>("Option1"));
        QCOMPARE(window.mousePointer(), 99);
        moveOver(plain);
        QCOMPARE(window.mousePointer(), 0);
    }
    window.setMousePointer(11);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    for (QWidget* over : {button, list}) {
        moveOver(over);
        QCOMPARE(window.mousePointer(), 11);
    }
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
