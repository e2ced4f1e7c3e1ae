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
        loadAndShow();
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
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, viewport()->mapToGlobal(at), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport(), &event);
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
};
} // namespace

class Form1FileListTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAreRemovedByDeleteDoubleClickAndClearList();
    void addFilesFolderAddAndDropAppendInOrder();
    void moveButtonsAndDraggingReorderTheList();
    void samplesAreAppendedThenTheFolderOffered();
};

void Form1FileListTest::rowsAreRemovedByDeleteDoubleClickAndClearList() {
    ListFixture fixture({"a", "b", "c", "d", "e"});
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
        fixture.mouse(type, at, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"d"}));

    fixture.click("PushButton7");
    QVERIFY(fixture.rows().isEmpty());
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::addFilesFolderAddAndDropAppendInOrder() {
    ListFixture fixture({"kept"});
    fixture.dialogs.fileAnswers = {{"/data/b.xml", "kept"}, {}};
    fixture.click("PushButton1");
    fixture.click("PushButton1");
    QCOMPARE(fixture.rows(), (QStringList{"kept", "/data/b.xml", "kept"}));

    // A cancelled prompt does nothing; an answer is saved even when no folder is then chosen.
    fixture.click("PushButton2");
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("-"));
    QCOMPARE(fixture.dialogs.foldersAsked, 0);
    fixture.dialogs.inputAnswers = {"txt"};
    fixture.click("PushButton2");
    QCOMPARE(fixture.stored("Extension"), QStringLiteral("txt"));
    QCOMPARE(fixture.rows().size(), 3);

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

    // A drop is taken only when it holds local files; folders in it are walked.
    QMimeData text;
    text.setText("some words");
    QVERIFY(!fixture.dragAndDrop(&text));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(top + "/Two"), QUrl::fromLocalFile(top + "/t.xml")});
    QVERIFY(fixture.dragAndDrop(&files));
    QCOMPARE(relativeTo(top, fixture.rows()).mid(5), (QStringList{"Two/x.txt", "t.xml"}));
    QVERIFY(fixture.dialogs.shown.empty());
}

void Form1FileListTest::moveButtonsAndDraggingReorderTheList() {
    ListFixture fixture({"W", "X", "Y", "Z"});
    fixture.select(3);
    fixture.click("PushButton5");
    QCOMPARE(fixture.rows(), (QStringList{"W", "Y", "X", "Z"}));
    QCOMPARE(fixture.selectedRow(), 2);
    QVERIFY(fixture.list()->hasFocus());
    fixture.click("PushButton6");
    QCOMPARE(fixture.rows(), (QStringList{"W", "X", "Y", "Z"}));
    QCOMPARE(fixture.selectedRow(), 3);

    fixture.deliver("drag.ico");
    fixture.mouse(QEvent::MouseButtonPress, fixture.centreOf(1), Qt::LeftButton);
    QCOMPARE(fixture.viewport()->cursor().shape(), Qt::BitmapCursor);
    fixture.mouse(QEvent::MouseMove, fixture.centreOf(2), Qt::LeftButton);
    fixture.mouse(QEvent::MouseMove, fixture.centreOf(4), Qt::LeftButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "Z", "Y", "W"}));
    QCOMPARE(fixture.selectedRow(), 4);
    fixture.mouse(QEvent::MouseButtonRelease, fixture.centreOf(4), Qt::NoButton);
    QCOMPARE(fixture.viewport()->cursor().shape(), Qt::ArrowCursor);
    fixture.mouse(QEvent::MouseMove, fixture.centreOf(1), Qt::NoButton);
    QCOMPARE(fixture.rows(), (QStringList{"X", "Z", "Y", "W"}));
}

void Form1FileListTest::samplesAreAppendedThenTheFolderOffered() {
    for (const bool yes : {true, false}) {
        ListFixture fixture;
        makeTree(fixture.programFolder(), {"Samples/b.xml", "Samples/a.xml", "Samples/more/c.xml"});
        fixture.dialogs.questionAnswers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
        fixture.click("PushButton8");
        const QString samples = fixture.programFolder() + "/Samples/";
        QCOMPARE(fixture.rows(), (QStringList{samples + "a.xml", samples + "b.xml"}));
        QCOMPARE(fixture.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(fixture.dialogs.shown[0].buttons, MessageButtons::YesNo);
        QCOMPARE(fixture.desktop.openedFolders, yes ? QStringList{samples} : QStringList{});
    }
}

QTEST_MAIN(Form1FileListTest)
#include "Form1FileListTest.moc"
