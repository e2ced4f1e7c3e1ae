#include "ui/Form1.h"

#include "base/SettingsStore.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"
#include "support/ZipBuilder.h"
#include "ui/FailedFilesWindow.h"
#include "ui/Form1Surface.h"
#include "ui/OptionFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDirIterator>
#include <QGroupBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace {
void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// One main window over a program folder ("dist"), a settings file, a temporary folder and a
// spreadsheet engine of the test's own; the workbooks it shows are kept in `results`.
struct Fixture {
    explicit Fixture(SpreadsheetApplications* applications = nullptr)
        : settings(folder.filePath("Kestrelix.ini")),
          window({dialogs, desktop, settings, applications ? *applications : engine,
                  folder.filePath("dist")}) {
        QDir(folder.path()).mkpath("dist/x");
        engine.setPresenter([this](std::shared_ptr<EngineInstance> i) { results.push_back(i); });
        qputenv("TEMP", temp.path().toUtf8());
    }
    ~Fixture() { qunsetenv("TEMP"); }

    // Lays a delivered file from the source tree beside the program.
    void deliver(const QString& name) {
        QFile::copy(BRINDLEQUAY_RESOURCES_DIR "/" + name, folder.filePath("dist/" + name));
    }
    void loadAndShow(const QStringList& rows = {}) {
        window.Form_Load();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
        window.fileList().appendAll(rows);
    }
    QString stored(const QString& key) { return settings.GetSetting(key, "-"); }
    template <typename T> T* control(const char* name) {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    bool selected(const char* option) { return control<QRadioButton>(option)->isChecked(); }
    void click(const char* name) {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }

    QTreeView* list() { return control<QTreeView>("ListView1"); }
    QWidget* viewport() { return list()->viewport(); }
    QStringList rows() { return window.fileList().paths(); }
    int selectedRow() {
        const QModelIndexList rows = list()->selectionModel()->selectedRows();
        return rows.isEmpty() ? 0 : rows.first().row() + 1;
    }
    void select(int position) {
        list()->selectionModel()->setCurrentIndex(list()->model()->index(position - 1, 0),
                                                  QItemSelectionModel::ClearAndSelect);
    }
    QPoint centreOf(int position) {
        return list()->visualRect(list()->model()->index(position - 1, 0)).center();
    }
    // Sends a drag over the list and, when it is taken, the drop; gives whether it was taken.
    bool dragAndDrop(QMimeData* data) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &drop);
        return true;
    }
    // Two files to import without the database, one sheet per file.
    void prepareImport() {
        loadAndShow({writeFile(folder.filePath("in/a.xml"), "<a><v>1</v></a>"),
                     writeFile(folder.filePath("in/b.xml"), "<b><v>2</v></b>")});
        click("Option4");
        click("Option2");
    }

    QTemporaryDir folder;
    QTemporaryDir temp;
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    SettingsStore settings;
    Form1 window;
    std::vector<std::shared_ptr<EngineInstance>> results;
};

// A spreadsheet application that fails to start, or starts and gives nothing.
struct Unavailable final : SpreadsheetApplications {
    explicit Unavailable(bool fails) : m_fails(fails) {}
    std::shared_ptr<SpreadsheetApplication> create() override {
        if (m_fails)
            throw std::runtime_error("no such class");
        return nullptr;
    }
    std::shared_ptr<SpreadsheetApplication> attachRunning() override { return create(); }
    void expectOpening(const QStringList&) override {}
    bool m_fails;
};
} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void optionsStartAsDefaultsAndAClickSavesItsPair();
    void storedOptionsAreRestoredAndAnUnreadableOneIsReported_data();
    void storedOptionsAreRestoredAndAnUnreadableOneIsReported();
    void startUpTakesWhatIsDeliveredAndGoesOnPastWhatFails();
    void startUpWithoutASpreadsheetApplicationSaysSoAndGoesOn_data();
    void startUpWithoutASpreadsheetApplicationSaysSoAndGoesOn();
    void pointerFollowsTheControlsButKeepsTheHourglass();
    void rowsAreRemovedByDeleteDoubleClickAndClearList();
    void addFilesFolderAndDropAppendInOrder();
    void moveButtonsAndDraggingReorderTheList();
    void samplesAreAppendedThenTheFolderOffered_data();
    void samplesAreAppendedThenTheFolderOffered();
    void startImportsTheListIntoAVisibleWorkbook();
    void joiningTablesIsOfferedOnTheDatabaseRouteAndRemembered();
    void summarySheetBoxSitsBesideOneSheetOffAndUnderEveryRoute();
    void summarySheetIsRememberedAndReadByTheRun();
    void summarySheetIsRestoredAsStored_data();
    void summarySheetIsRestoredAsStored();
    void nothingChangesTheListOrOptionsWhileARunIsUnderWay();
    void closingTheWindowEndsARunAtOnce();
    void startButtonStopsARunHalfWayAndLeavesNoPartialFile();
    void failuresBeyondTheThirdAreGatheredIntoOneListOnYes();
    void barMovesWithinALargeFileAndIsFullOnlyAsTheWorkbookShows();
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
    fixture.click("Option4");
    QCOMPARE(fixture.stored("Option3") + fixture.stored("Option4"), QStringLiteral("FalseTrue"));
}

void Form1Test::storedOptionsAreRestoredAndAnUnreadableOneIsReported_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<bool>("lowerSelected");
    QTest::addColumn<QString>("upperAfter");
    QTest::addColumn<bool>("reported");
    QTest::newRow("both false") << "False"
                                << "False" << false << "False" << false;
    QTest::newRow("a number and capitals") << "1"
                                           << "TRUE" << true << "False" << false;
    QTest::newRow("unreadable") << "yes"
                                << "False" << false << "yes" << true;
}

void Form1Test::storedOptionsAreRestoredAndAnUnreadableOneIsReported() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(bool, lowerSelected);
    QFETCH(QString, upperAfter);
    QFETCH(bool, reported);
    Fixture fixture;
    for (const char* key : {"Option1", "Option3"})
        fixture.settings.SaveSetting(key, upper);
    for (const char* key : {"Option2", "Option4"})
        fixture.settings.SaveSetting(key, lower);
    fixture.window.Form_Load();
    QCOMPARE(fixture.selected("Option2"), lowerSelected);
    QCOMPARE(fixture.selected("Option4"), lowerSelected);
    QCOMPARE(fixture.stored("Option1"), upperAfter);
    QCOMPARE(fixture.stored("Option3"), upperAfter);
    // One report per frame, each naming its step, and start-up goes on past both.
    const QString reports = fixture.dialogs.shownTexts().join('|');
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(reported ? 2 : 0));
    QCOMPARE(reports.contains("Form_Load at line 128") && reports.contains("line 132"), reported);
}

void Form1Test::startUpTakesWhatIsDeliveredAndGoesOnPastWhatFails() {
    Fixture plain;
    writeFile(plain.folder.filePath("dist/HAND-M.CUR"), "not a picture");
    plain.window.Form_Load();
    QCOMPARE(plain.dialogs.shown.size(), std::size_t(1));
    QVERIFY(plain.dialogs.shown[0].text.contains(QStringLiteral("Form_Load at line 106")));
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
}

void Form1Test::startUpWithoutASpreadsheetApplicationSaysSoAndGoesOn_data() {
    QTest::addColumn<bool>("fails");
    QTest::newRow("making one fails") << true;
    QTest::newRow("none is made") << false;
}

void Form1Test::startUpWithoutASpreadsheetApplicationSaysSoAndGoesOn() {
    QFETCH(bool, fails);
    Unavailable unavailable(fails);
    Fixture without(&unavailable);
    without.window.Form_Load();
    QCOMPARE(without.dialogs.shownTexts().size(), 1);
    QVERIFY(without.dialogs.shownTexts()[0].startsWith(QStringLiteral("Excel is not")));
    QVERIFY(without.selected("Option1"));
}

void Form1Test::pointerFollowsTheControlsButKeepsTheHourglass() {
    Fixture fixture;
    fixture.deliver(QStringLiteral("HAND-M.CUR"));
    fixture.loadAndShow();
    const auto moveOver = [](QWidget* widget) {
        sendMouse(widget, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
    };
    QWidget* button = fixture.control<QPushButton>("PushButton4");
    // An option button has no handler of its own, so the hand from a button stays over it.
    moveOver(button);
    moveOver(fixture.control<QRadioButton>("Option1"));
    QCOMPARE(fixture.window.mousePointer(), 99);
    moveOver(fixture.control<QGroupBox>("Frame1"));
    QCOMPARE(fixture.window.mousePointer(), 0);
    fixture.window.setMousePointer(11);
    moveOver(button);
    QCOMPARE(fixture.window.mousePointer(), 11);
}

void Form1Test::rowsAreRemovedByDeleteDoubleClickAndClearList() {
    Fixture fixture;
    fixture.loadAndShow({"a", "b", "c", "d", "e"});
    QTest::keyClick(fixture.list(), Qt::Key_Delete);
    QCOMPARE(fixture.rows().size(), 5);
    for (Qt::KeyboardModifiers held : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
        fixture.select(1);
        QTest::keyClick(fixture.list(), Qt::Key_Delete, held);
    }
    fixture.select(1);
    QTest::keyClick(fixture.list(), Qt::Key_Backspace);
    QCOMPARE(fixture.rows(), (QStringList{"d", "e"}));

    const QPoint at = fixture.centreOf(2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        sendMouse(fixture.viewport(), type, at,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"d"}));

    fixture.click("PushButton7");
    QVERIFY(fixture.rows().isEmpty());
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1Test::addFilesFolderAndDropAppendInOrder() {
    Fixture fixture;
    fixture.loadAndShow({"kept"});
    fixture.dialogs.fileAnswers = {{"/data/b.xml", "kept"}, {}};
    fixture.click("PushButton1");
    fixture.click("PushButton1");
    QCOMPARE(withSlashes(fixture.rows()), (QStringList{"kept", "/data/b.xml", "kept"}));

    // A cancelled prompt asks for no folder.
    fixture.click("PushButton2");
    QCOMPARE(fixture.dialogs.foldersAsked, 0);
    const QString top = fixture.folder.filePath("Top");
    makeTree(top, {"t.xml", "One/one.xml", "Two/x.txt"});
    fixture.dialogs.inputAnswers = {"XML"};
    fixture.dialogs.folderAnswers = {top};
    int pointerDuringWalk = -1;
    // The walk lets pending events run; one posted now sees the pointer while it walks.
    QMetaObject::invokeMethod(
        &fixture.window, [&] { pointerDuringWalk = fixture.window.mousePointer(); },
        Qt::QueuedConnection);
    fixture.click("PushButton2");
    QCOMPARE(relativeTo(top, fixture.rows()).mid(3), (QStringList{"t.xml", "One/one.xml"}));
    QCOMPARE(pointerDuringWalk, 11);
    QCOMPARE(fixture.window.mousePointer(), 0);
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("XML"));

    // A drop is taken only when it holds local files; folders in it are walked, every file
    // taken, and an archive found gives its members of the extension asked last.
    QMimeData text;
    text.setText("some words");
    QVERIFY(!fixture.dragAndDrop(&text));
    ZipBuilder(top + "/Two/pack.zip").add("in/p.xml", "<p/>").add("p.txt", "text");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(top + "/Two"), QUrl::fromLocalFile(top + "/t.xml")});
    QVERIFY(fixture.dragAndDrop(&files));
    QCOMPARE(relativeTo(top, fixture.rows()).mid(5),
             (QStringList{"Two/pack.zip!/in/p.xml", "Two/x.txt", "t.xml"}));
    QVERIFY(fixture.dialogs.shown.empty());

    // Paths the program starts with come in order as a drop's; a missing one is said once.
    fixture.window.fileList().clear();
    const QString missing = fixture.folder.filePath("gone.xml");
    fixture.window.addStartingPaths({top + "/t.xml", top + "/One", missing, top + "/Two/x.txt"});
    QCOMPARE(relativeTo(top, fixture.rows()), (QStringList{"t.xml", "One/one.xml", "Two/x.txt"}));
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QVERIFY(fixture.dialogs.shown[0].text.contains(missing));
    QVERIFY(fixture.dialogs.shown[0].text.startsWith("These paths do not exist"));

    // An archive chosen in the file dialog gives its members too.
    fixture.dialogs.fileAnswers = {{top + "/Two/pack.zip"}};
    fixture.click("PushButton1");
    QCOMPARE(relativeTo(top, fixture.rows()).mid(3), QStringList{"Two/pack.zip!/in/p.xml"});
}

void Form1Test::moveButtonsAndDraggingReorderTheList() {
    Fixture fixture;
    fixture.loadAndShow({"W", "X", "Y", "Z"});
    fixture.select(3);
    fixture.click("PushButton5");
    QCOMPARE(fixture.rows(), (QStringList{"W", "Y", "X", "Z"}));
    QCOMPARE(fixture.selectedRow(), 2);
    QVERIFY(fixture.list()->hasFocus());
    fixture.click("PushButton6");
    QCOMPARE(fixture.rows(), (QStringList{"W", "X", "Y", "Z"}));
    QCOMPARE(fixture.selectedRow(), 3);

    fixture.deliver("drag.ico");
    sendMouse(fixture.viewport(), QEvent::MouseButtonPress, fixture.centreOf(1), Qt::LeftButton);
    QCOMPARE(fixture.viewport()->cursor().shape(), Qt::BitmapCursor);
    sendMouse(fixture.viewport(), QEvent::MouseMove, fixture.centreOf(2), Qt::LeftButton);
    sendMouse(fixture.viewport(), QEvent::MouseMove, fixture.centreOf(4), Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "Z", "Y", "W"}));
    QCOMPARE(fixture.selectedRow(), 4);
    sendMouse(fixture.viewport(), QEvent::MouseButtonRelease, fixture.centreOf(4), Qt::NoButton);
    QCOMPARE(fixture.viewport()->cursor().shape(), Qt::ArrowCursor);
}

void Form1Test::samplesAreAppendedThenTheFolderOffered_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("folder opened") << true;
    QTest::newRow("folder declined") << false;
}

void Form1Test::samplesAreAppendedThenTheFolderOffered() {
    QFETCH(bool, yes);
    Fixture fixture;
    fixture.loadAndShow();
    makeTree(fixture.folder.filePath("dist"),
             {"Samples/b.xml", "Samples/a.xml", "Samples/more/c.xml"});
    fixture.dialogs.questionAnswers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
    fixture.click("PushButton8");
    const QString samples = fixture.folder.filePath("dist") + "/Samples/";
    QCOMPARE(withSlashes(fixture.rows()), (QStringList{samples + "a.xml", samples + "b.xml"}));
    QCOMPARE(withSlashes(fixture.desktop.openedFolders),
             yes ? QStringList{samples} : QStringList{});
}

void Form1Test::startImportsTheListIntoAVisibleWorkbook() {
    Fixture fixture;
    fixture.prepareImport();
    fixture.click("PushButton4");
    QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
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

void Form1Test::joiningTablesIsOfferedOnTheDatabaseRouteAndRemembered() {
    {
        Fixture fixture;
        fixture.deliver("temp.mdb");
        fixture.loadAndShow(
            {writeFile(fixture.folder.filePath("in/a.xml"),
                       "<Invoice><No>1</No><Line><Item>A</Item></Line><Line><Item>B</Item></Line>"
                       "<Buyer><Name>Ann</Name></Buyer></Invoice>"),
             writeFile(fixture.folder.filePath("in/b.xml"),
                       "<Invoice><No>2</No><Line><Item>C</Item></Line></Invoice>")});
        auto* box = fixture.control<QCheckBox>("JoinTablesBox");
        QVERIFY(fixture.selected("Option3") && box->isEnabled() && !box->isChecked());
        fixture.click("Option4");
        QVERIFY(!box->isEnabled());
        fixture.click("Option3");
        fixture.click("JoinTablesBox");
        QVERIFY(box->isChecked());
        QCOMPARE(fixture.stored("MergeTables"), QStringLiteral("True"));

        fixture.click("Option2");
        fixture.click("PushButton4");
        QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
        // The buyer, once in every invoice, is a column of the invoice's row.
        const Workbook& workbook = fixture.results[0]->activeWorkbook();
        QCOMPARE(workbook.sheetNames().mid(0, 2), (QStringList{"Line", "Invoice"}));
        QCOMPARE(workbook.sheet(2).cells().display(1, 5), std::string("Buyer/Name"));
        QCOMPARE(workbook.sheet(2).cells().display(2, 5), std::string("Ann"));
        QVERIFY(box->isEnabled());
    }
    Fixture restored;
    restored.settings.SaveSetting("MergeTables", "True");
    restored.settings.SaveSetting("Option3", "False");
    restored.settings.SaveSetting("Option4", "True");
    restored.loadAndShow();
    auto* box = restored.control<QCheckBox>("JoinTablesBox");
    QVERIFY(box->isChecked() && !box->isEnabled());
}

void Form1Test::summarySheetBoxSitsBesideOneSheetOffAndUnderEveryRoute() {
    Fixture fixture;
    fixture.loadAndShow();
    auto* box = fixture.control<QCheckBox>("SummarySheetBox");
    auto* frame = fixture.control<QGroupBox>("Frame1");
    auto* option1 = fixture.control<QRadioButton>("Option1");
    auto* option2 = fixture.control<QRadioButton>("Option2");
    QCOMPARE(box->text(), QStringLiteral("Add a summary sheet"));
    QCOMPARE(box->parentWidget(), frame);
    QVERIFY(!box->isChecked() && box->isEnabled() && box->isVisible());

    // Right of "one sheet" on its line, clear of both options, whole inside the frame and with
    // room for its caption.
    const QRect place = box->geometry();
    QVERIFY(place.left() > option1->geometry().right());
    QVERIFY(place.top() < option1->geometry().bottom() &&
            place.bottom() > option1->geometry().top());
    QVERIFY(!place.intersects(option2->geometry()));
    QVERIFY(frame->contentsRect().contains(place));
    // The whole caption, wherever the font leaves the frame room for it (a system without
    // fonts measures every caption far wider).
    QVERIFY(place.width() >= box->sizeHint().width() ||
            place.right() == frame->contentsRect().right());

    // Tab goes from the send options to the box.
    QWidget* next = option2->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible())
        next = next->nextInFocusChain();
    QCOMPARE(next, static_cast<QWidget*>(box));

    // Offered whichever route and send option are chosen.
    for (const char* option : {"Option4", "Option2", "Option3", "Option1"}) {
        fixture.click(option);
        QVERIFY2(box->isEnabled(), option);
    }
}

void Form1Test::summarySheetIsRememberedAndReadByTheRun() {
    Fixture fixture;
    fixture.loadAndShow();
    fixture.click("SummarySheetBox");
    QCOMPARE(fixture.stored("SummarySheet"), QStringLiteral("True"));
    Form1Surface surface(
        fixture.window, fixture.control<OptionButton>("Option1"),
        fixture.control<OptionButton>("Option2"), fixture.control<OptionButton>("Option3"),
        fixture.control<OptionButton>("Option4"), fixture.control<QCheckBox>("JoinTablesBox"),
        fixture.control<QCheckBox>("SummarySheetBox"));
    QVERIFY(surface.addsSummarySheet() && surface.gathersSummary());
    fixture.click("SummarySheetBox");
    QCOMPARE(fixture.stored("SummarySheet"), QStringLiteral("False"));
    QVERIFY(!surface.addsSummarySheet() && !surface.gathersSummary());
}

// Stored as the options are: any letter case or a number, and unreadable text is reported and
// leaves the box off while start-up goes on.
void Form1Test::summarySheetIsRestoredAsStored_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("reported");
    QTest::newRow("True") << "True" << true << false;
    QTest::newRow("1") << "1" << true << false;
    QTest::newRow("false") << "false" << false << false;
    QTest::newRow("unreadable") << "yes" << false << true;
}

void Form1Test::summarySheetIsRestoredAsStored() {
    QFETCH(QString, text);
    QFETCH(bool, checked);
    QFETCH(bool, reported);
    Fixture restored;
    restored.settings.SaveSetting("SummarySheet", text);
    restored.settings.SaveSetting("Option4", "True");
    restored.settings.SaveSetting("Option3", "False");
    restored.loadAndShow();
    QCOMPARE(restored.control<QCheckBox>("SummarySheetBox")->isChecked(), checked);
    QCOMPARE(restored.dialogs.shownTexts().join('|').contains("Form_Load at line 137"), reported);
}

void Form1Test::nothingChangesTheListOrOptionsWhileARunIsUnderWay() {
    Fixture fixture;
    fixture.prepareImport();
    bool triedDuringRun = false;
    // The output lets pending events run between files: everything a user could do then.
    QMetaObject::invokeMethod(
        &fixture.window,
        [&] {
            triedDuringRun = fixture.window.runUnderway();
            for (const char* control :
                 {"PushButton7", "PushButton8", "Option1", "Option3", "SummarySheetBox"})
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
    // The summary box is not greyed out, but what the run reads does not change under it.
    QVERIFY(!fixture.control<QCheckBox>("SummarySheetBox")->isChecked());
    QCOMPARE(fixture.stored("SummarySheet"), QStringLiteral("-"));
    QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
    QCOMPARE(fixture.results.size(), std::size_t(1));

    // Once the run is over, the same actions work again.
    fixture.click("PushButton7");
    QCOMPARE(fixture.window.fileList().count(), 0);
    fixture.click("SummarySheetBox");
    QCOMPARE(fixture.stored("SummarySheet"), QStringLiteral("True"));
}

void Form1Test::closingTheWindowEndsARunAtOnce() {
    Fixture fixture;
    fixture.prepareImport();
    QMetaObject::invokeMethod(
        &fixture.window, [&] { fixture.window.close(); }, Qt::QueuedConnection);
    fixture.click("PushButton4");

    QVERIFY(!fixture.window.isVisible());
    QVERIFY(!fixture.window.runUnderway());
    QVERIFY(fixture.dialogs.shown.empty());
    QVERIFY(fixture.results.empty());
    QVERIFY(fixture.engine.runningInstances().empty());
}

void Form1Test::startButtonStopsARunHalfWayAndLeavesNoPartialFile() {
    Fixture fixture;
    QStringList files;
    for (int i = 1; i <= 600; ++i)
        files << writeFile(fixture.folder.filePath(QStringLiteral("in/%1.xml").arg(i)),
                           QByteArray("<r><v>") + QByteArray::number(i) + "</v><w>x</w></r>");
    fixture.loadAndShow(files);
    fixture.click("Option4");
    fixture.click("Option2");
    auto* start = fixture.control<QPushButton>("PushButton4");
    QString captionDuringRun;
    int stoppedAt = 0;
    // Looks at the window each time the run lets events run, and clicks the button twice once
    // half the files have begun.
    std::function<void()> watch = [&] {
        if (!fixture.window.runUnderway())
            return;
        captionDuringRun = start->text();
        const QRegularExpressionMatch file =
            QRegularExpression(QStringLiteral("file (\\d+) of 600$"))
                .match(fixture.window.windowTitle());
        if (file.hasMatch() && file.captured(1).toInt() >= 300) {
            stoppedAt = file.captured(1).toInt();
            fixture.click("PushButton4");
            fixture.click("PushButton4");
            return;
        }
        QMetaObject::invokeMethod(&fixture.window, watch, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&fixture.window, watch, Qt::QueuedConnection);
    fixture.click("PushButton4");

    QCOMPARE(captionDuringRun, QStringLiteral("Stop Importing"));
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    const QString told = fixture.dialogs.shown.front().text;
    const QRegularExpressionMatch done =
        QRegularExpression(QStringLiteral("^Importing stopped: (\\d+) of 600 files were done"))
            .match(told);
    QVERIFY2(done.hasMatch(), qPrintable(told));
    const int doneCount = done.captured(1).toInt();
    QVERIFY2(doneCount >= stoppedAt - 1 && doneCount < 600, qPrintable(told));
    // No workbook; the files converted stay whole, and nothing partial is left beside them.
    QVERIFY(fixture.results.empty());
    QVERIFY(fixture.engine.runningInstances().empty());
    int csvFiles = 0;
    for (QDirIterator it(fixture.temp.path(), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        QVERIFY2(path.endsWith(QStringLiteral(".csv")), qPrintable(path));
        QVERIFY2(readFile(path).endsWith("\r\n"), qPrintable(path));
        ++csvFiles;
    }
    QCOMPARE(csvFiles, doneCount);
    // Every file was good: the one the stop came to was not done, and did not fail.
    QVERIFY(!fixture.window.findChild<FailedFilesWindow*>());
    QCOMPARE(start->text(), QStringLiteral("Start Importing Multiple XML Files"));
    QCOMPARE(fixture.control<QProgressBar>("ProgressBar1")->value(), 0);
    QCOMPARE(fixture.window.mousePointer(), 0);
    QVERIFY(!fixture.window.runUnderway() && !fixture.window.stopRequested());

    // The window is ready for the next run, which goes to its end.
    fixture.dialogs.shown.clear();
    fixture.click("PushButton4");
    QCOMPARE(fixture.dialogs.shownTexts(), QStringList{"Done."});
    QCOMPARE(fixture.results.size(), std::size_t(1));
}

void Form1Test::failuresBeyondTheThirdAreGatheredIntoOneListOnYes() {
    Fixture fixture;
    QStringList files;
    for (int i = 1; i <= 7; ++i)
        files << writeFile(fixture.folder.filePath(QStringLiteral("in/%1.xml").arg(i)),
                           i == 4 ? QByteArray("<a><v>4</v></a>") : QByteArray("<a><v>\n</a>"));
    fixture.loadAndShow(files);
    // As the list shows them: with the system's separators.
    for (QString& file : files)
        file = QDir::toNativeSeparators(file);
    fixture.click("Option4");
    fixture.dialogs.questionAnswers = {MessageAnswer::Yes};
    fixture.click("PushButton4");

    const QStringList texts = fixture.dialogs.shownTexts();
    QCOMPARE(texts.size(), 5);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(texts.at(i).startsWith(QStringLiteral("Error reading ") + files.at(i)),
                 qPrintable(texts.at(i)));
    QVERIFY(texts.at(3).startsWith(QStringLiteral("More files could not be imported.")));
    QCOMPARE(fixture.dialogs.shown.at(3).buttons, MessageButtons::YesNo);
    QCOMPARE(texts.at(4), QStringLiteral("Done."));
    QCOMPARE(fixture.results.size(), std::size_t(1));

    // Every failed file, the ones told in boxes too, in list order.
    auto* list = fixture.window.findChild<FailedFilesWindow*>();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->lines().size(), 6);
    for (int i = 0, file = 0; i < 6; ++i, ++file) {
        if (file == 3)
            ++file;
        QVERIFY2(list->lines().at(i).startsWith(files.at(file) + QStringLiteral(": ")),
                 qPrintable(list->lines().at(i)));
        QVERIFY2(list->lines().at(i).contains(QStringLiteral(" (line 2, position ")),
                 qPrintable(list->lines().at(i)));
    }
    list->copyList();
    QCOMPARE(QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts), list->lines());
    const QString saved = fixture.folder.filePath("not imported.txt");
    fixture.dialogs.saveAnswers = {saved};
    QVERIFY(list->saveList());
    QCOMPARE(QString::fromUtf8(readFile(saved)), list->text());
}

void Form1Test::barMovesWithinALargeFileAndIsFullOnlyAsTheWorkbookShows() {
    Fixture fixture;
    // About 6 MB: read a megabyte at a time, and opened as text of about the same size.
    const QByteArray document = numberedValues(0, 199999, "value number ");
    fixture.loadAndShow({writeFile(fixture.folder.filePath("in/large.xml"), document)});
    fixture.click("Option4");
    fixture.click("Option1");
    auto* bar = fixture.control<QProgressBar>("ProgressBar1");
    QList<int> values;
    QStringList titles;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        values << value;
        if (!titles.contains(fixture.window.windowTitle()))
            titles << fixture.window.windowTitle();
    });
    double whenShown = -1;
    fixture.engine.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
        whenShown = fixture.window.progress();
        fixture.results.push_back(instance);
    });
    fixture.click("PushButton4");

    QCOMPARE(fixture.results.size(), std::size_t(1));
    QCOMPARE(whenShown, 100.0);
    QVERIFY(!values.isEmpty());
    QCOMPARE(values.last(), 0);
    const QList<int> during = values.mid(0, values.size() - 1);
    QSet<int> between;
    for (int value : during)
        if (value > 0 && value < 100)
            between.insert(value);
    QVERIFY2(between.size() >= 5, qPrintable(QString::number(between.size())));
    // Forward only, and full only at the end.
    QVERIFY(std::is_sorted(during.begin(), during.end()));
    QCOMPARE(during.last(), 100);
    QCOMPARE(during.count(100), 1);
    QVERIFY(titles.contains(QStringLiteral("Brindlequay - file 1 of 1")));
    QCOMPARE(fixture.window.windowTitle(), QStringLiteral("Brindlequay"));
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
