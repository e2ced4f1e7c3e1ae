#include "ui/Form1.h"

#include "support/MainWindowFixture.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

namespace {
// A shown main window whose list holds the given rows.
struct ListFixture : MainWindowFixture {
    explicit ListFixture(const QStringList& rows = {}) {
        window.Form_Load();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
        window.fileList().appendAll(rows);
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
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void doubleClick(QWidget* target, QPoint at) {
    sendMouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
    sendMouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// Sends a drag over the list and, when it is taken, the drop; gives whether it was taken.
bool dragAndDrop(QWidget* viewport, QMimeData* data) {
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return true;
}
} // namespace

class Form1FileListTest : public QObject {
    Q_OBJECT
private slots:
    void deleteRemovesTheSelectedRowWhateverModifiersAreHeld();
    void doubleClickRemovesTheSelectedRow();
    void clearListEmptiesTheList();
    void addFilesAppendsThePickedPathsInOrder();
    void folderAddAsksForExtensionThenFolder();
    void folderAddWalksUnderTheHourglass();
    void dropOfTwoFoldersAndAFile();
    void dragOfAnythingButFilesIsRefused();
    void moveUpAndDownCarryTheSelectedPath();
    void draggingARowSwapsTheTexts();
    void samplesAreAppendedThenTheFolderOffered_data();
    void samplesAreAppendedThenTheFolderOffered();
};

void Form1FileListTest::deleteRemovesTheSelectedRowWhateverModifiersAreHeld() {
    ListFixture fixture({"a", "b", "c", "d"});
    QTest::keyClick(fixture.list(), Qt::Key_Delete);
    QCOMPARE(fixture.rows(), (QStringList{"a", "b", "c", "d"}));

    for (Qt::KeyboardModifiers held : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
        fixture.select(1);
        QTest::keyClick(fixture.list(), Qt::Key_Delete, held);
    }
    QCOMPARE(fixture.rows(), (QStringList{"d"}));
    fixture.select(1);
    QTest::keyClick(fixture.list(), Qt::Key_Backspace);
    QCOMPARE(fixture.rows(), (QStringList{"d"}));
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::doubleClickRemovesTheSelectedRow() {
    ListFixture fixture({"a", "b", "c"});
    doubleClick(fixture.viewport(), fixture.centreOf(2));
    QCOMPARE(fixture.rows(), (QStringList{"a", "c"}));
    fixture.list()->clearSelection();
    doubleClick(fixture.viewport(), QPoint(5, 150));
    QCOMPARE(fixture.rows().size(), 2);
}

void Form1FileListTest::clearListEmptiesTheList() {
    ListFixture fixture({"a", "a"});
    fixture.click("PushButton7");
    QVERIFY(fixture.rows().isEmpty());
    fixture.click("PushButton7");
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::addFilesAppendsThePickedPathsInOrder() {
    ListFixture fixture({"/data/b.xml"});
    fixture.dialogs.fileAnswers = {{"/data/b.xml", "/data/a.xml", "/data/report.txt"}, {}};
    fixture.click("PushButton1");
    fixture.click("PushButton1");
    QCOMPARE(fixture.rows(),
             (QStringList{"/data/b.xml", "/data/b.xml", "/data/a.xml", "/data/report.txt"}));
    QCOMPARE(fixture.dialogs.fileChooserTitles.first(),
             QStringLiteral("Add File(s) - Hold Ctrl to select multiple files|XML Files (*.xml)"));
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::folderAddAsksForExtensionThenFolder() {
    ListFixture fixture;
    // Cancelled prompt: nothing at all.
    fixture.click("PushButton2");
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("-"));
    QVERIFY(fixture.dialogs.folderChooserTitles.isEmpty());
    // An answer is saved even when the folder chooser is then cancelled.
    fixture.dialogs.inputAnswers = {"txt"};
    fixture.click("PushButton2");
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("txt"));
    QCOMPARE(fixture.dialogs.folderChooserTitles, (QStringList{"Please select folder:"}));
    QVERIFY(fixture.rows().isEmpty());

    QCOMPARE(fixture.dialogs.inputRequests.size(), std::size_t(2));
    for (const auto& request : fixture.dialogs.inputRequests) {
        QCOMPARE(request.prompt,
                 QStringLiteral("Enter file extension to load:\r\r(* for all files, "
                                "txt for all txt files, doc for all doc files, "
                                "etc.)"));
        QCOMPARE(request.title, QStringLiteral("Brindlequay"));
        QCOMPARE(request.defaultText, QStringLiteral("xml"));
    }
    QCOMPARE(fixture.window.mousePointer(), 0);
}

void Form1FileListTest::folderAddWalksUnderTheHourglass() {
    ListFixture fixture({"kept"});
    const QString top = fixture.folder.filePath("Top");
    makeTree(top, {"t.xml", "One/one.xml", "One/Deep/deep.xml", "Two/two.xml", "Two/x.txt"});
    fixture.dialogs.inputAnswers = {"XML"};
    fixture.dialogs.folderAnswers = {top};
    int pointerDuringWalk = -1;
    // The walk lets pending events run; one posted now shows the pointer while it walks.
    QMetaObject::invokeMethod(
        &fixture.window, [&] { pointerDuringWalk = fixture.window.mousePointer(); },
        Qt::QueuedConnection);
    fixture.window.PushButton2_Click();
    QCOMPARE(relativeTo(top, fixture.rows()),
             (QStringList{"kept", "t.xml", "One/one.xml", "Two/two.xml", "One/Deep/deep.xml"}));
    QCOMPARE(fixture.window.mousePointer(), 0);
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("XML"));
    QVERIFY(fixture.dialogs.shown.empty());
    QCOMPARE(pointerDuringWalk, 11);
}

void Form1FileListTest::dropOfTwoFoldersAndAFile() {
    ListFixture fixture({"kept"});
    const QString root = fixture.folder.filePath("drop");
    makeTree(root, {"A/a1.txt", "A/sub/a2.xml", "B/b1.xml", "B/~b.xml", "~$temp.xml"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(root + "/B"), QUrl::fromLocalFile(root + "/A"),
                  QUrl::fromLocalFile(root + "/~$temp.xml")});
    QVERIFY(dragAndDrop(fixture.viewport(), &data));
    QCOMPARE(relativeTo(root, fixture.rows()),
             (QStringList{"kept", "B/b1.xml", "A/a1.txt", "A/sub/a2.xml", "~$temp.xml"}));
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::dragOfAnythingButFilesIsRefused() {
    ListFixture fixture;
    QMimeData text;
    text.setText("some words");
    QVERIFY(!dragAndDrop(fixture.viewport(), &text));
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.xml")});
    QVERIFY(!dragAndDrop(fixture.viewport(), &web));
    QVERIFY(fixture.rows().isEmpty());
}

void Form1FileListTest::moveUpAndDownCarryTheSelectedPath() {
    ListFixture fixture({"W", "X", "Y"});
    fixture.select(3);
    fixture.click("PushButton5");
    QCOMPARE(fixture.rows(), (QStringList{"W", "Y", "X"}));
    QCOMPARE(fixture.selectedRow(), 2);
    QVERIFY(fixture.list()->hasFocus());

    fixture.select(1);
    fixture.click("PushButton6");
    QCOMPARE(fixture.rows(), (QStringList{"Y", "W", "X"}));
    QCOMPARE(fixture.selectedRow(), 2);

    fixture.select(1);
    fixture.click("PushButton5");
    fixture.select(3);
    fixture.click("PushButton6");
    QCOMPARE(fixture.rows(), (QStringList{"Y", "W", "X"}));
    QVERIFY(fixture.list()->hasFocus());

    fixture.list()->clearSelection();
    fixture.click("PushButton5");
    fixture.click("PushButton6");
    QCOMPARE(fixture.rows(), (QStringList{"Y", "W", "X"}));
}

void Form1FileListTest::draggingARowSwapsTheTexts() {
    ListFixture fixture({"W", "X", "Y", "Z"});
    fixture.deliver("drag.ico");
    QWidget* viewport = fixture.viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, fixture.centreOf(1), Qt::LeftButton);
    QCOMPARE(viewport->cursor().shape(), Qt::BitmapCursor);
    sendMouse(viewport, QEvent::MouseMove, fixture.centreOf(2), Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "W", "Y", "Z"}));
    QCOMPARE(fixture.selectedRow(), 2);
    sendMouse(viewport, QEvent::MouseMove, fixture.centreOf(4), Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "Z", "Y", "W"}));
    QCOMPARE(fixture.selectedRow(), 4);
    sendMouse(viewport, QEvent::MouseButtonRelease, fixture.centreOf(4), Qt::NoButton);
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);

    // Moving without a button changes no row and turns the window's pointer to the default.
    fixture.window.setMousePointer(99);
    sendMouse(viewport, QEvent::MouseMove, fixture.centreOf(1), Qt::NoButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "Z", "Y", "W"}));
    QCOMPARE(fixture.window.mousePointer(), 0);
}

void Form1FileListTest::samplesAreAppendedThenTheFolderOffered_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes opens the folder") << true;
    QTest::newRow("no opens nothing") << false;
}

void Form1FileListTest::samplesAreAppendedThenTheFolderOffered() {
    QFETCH(bool, yes);
    ListFixture fixture;
    makeTree(fixture.programFolder(), {"Samples/b.xml", "Samples/a.xml", "Samples/more/c.xml"});
    fixture.dialogs.questionAnswers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
    fixture.click("PushButton8");
    const QString samples = fixture.programFolder() + "/Samples/";
    QCOMPARE(fixture.rows(), (QStringList{samples + "a.xml", samples + "b.xml"}));
    QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(fixture.dialogs.shown[0],
             (Message{QStringLiteral("Would you like this software to open the folder where "
                                     "these sample files are stored (so that you can view them "
                                     "before working with them)?"),
                      MessageButtons::YesNo, MessageIcon::None, QStringLiteral("Brindlequay")}));
    QCOMPARE(fixture.desktop.openedFolders, yes ? QStringList{samples} : QStringList{});
}

QTEST_MAIN(Form1FileListTest)
#include "Form1FileListTest.moc"
