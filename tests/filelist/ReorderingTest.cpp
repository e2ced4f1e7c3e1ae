#include "filelist/Reordering.h"

#include "filelist/FileList.h"
#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace {
struct List {
    explicit List(const QStringList& rows) { model.appendAll(rows); }
    FileList model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};
} // namespace

TEST(Reordering, MovesStopAtTheEndsAndCarryDuplicatesByRow) {
    List list({"A", "B", "A"});
    for (const int past : {0, 1})
        EXPECT_EQ(moveUp(list.model, past), 0) << past;
    for (const int past : {0, 3, 7})
        EXPECT_EQ(moveDown(list.model, past), 0) << past;
    EXPECT_EQ(moveUp(list.model, 2), 1);
    EXPECT_EQ(list.model.paths(), (QStringList{"B", "A", "A"}));
}

TEST(Reordering, DraggingSwapsOnlyWithTheButtonHeldAndNeverEqualPaths) {
    List list({"A", "A", "B", "C"});
    RowDrag drag(list.model);
    drag.rowClicked(1);
    EXPECT_EQ(drag.movedOver(3), 0);
    drag.buttonPressed();
    EXPECT_EQ(drag.movedOver(2), 0);
    EXPECT_EQ(drag.movedOver(3), 3);
    EXPECT_EQ(drag.movedOver(4), 4);
    EXPECT_EQ(list.model.paths(), (QStringList{"B", "A", "C", "A"}));
    drag.buttonReleased();
    EXPECT_EQ(drag.movedOver(1), 0);
}

TEST(Reordering, ARememberedRowThatWasRemovedSinceLeavesTheListUnchanged) {
    List list({"W", "X", "Y"});
    RowDrag drag(list.model);
    drag.rowClicked(2);
    list.model.remove(2);
    drag.buttonPressed();
    EXPECT_EQ(drag.movedOver(1), 0);
    // Move Up carries the path in a new row, so the old row is gone for the drag too.
    drag.rowClicked(2);
    moveUp(list.model, 2);
    EXPECT_EQ(drag.movedOver(1), 0);
    EXPECT_EQ(list.model.paths(), (QStringList{"Y", "W"}));
}
