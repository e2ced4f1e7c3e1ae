#include "filelist/Reordering.h"

#include "filelist/FileList.h"

#include <QAbstractItemModelTester>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
struct List {
    explicit List(const QStringList& rows) { model.appendAll(rows); }
    FileList model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};
} // namespace

TEST(Reordering, MoveUpAndDownExchangeTheSelectedPathWithItsNeighbourAndStopAtTheEnds) {
    List list({"W", "X", "Y"});
    EXPECT_EQ(moveUp(list.model, 3), 2);
    EXPECT_EQ(list.model.paths(), (QStringList{"W", "Y", "X"}));
    EXPECT_EQ(moveDown(list.model, 1), 2);
    EXPECT_EQ(list.model.paths(), (QStringList{"Y", "W", "X"}));
    for (const int past : {0, 1})
        EXPECT_EQ(moveUp(list.model, past), 0);
    for (const int past : {0, 3, 7})
        EXPECT_EQ(moveDown(list.model, past), 0);
    EXPECT_EQ(list.model.paths(), (QStringList{"Y", "W", "X"}));

    List duplicates({"A", "B", "A"});
    EXPECT_EQ(moveUp(duplicates.model, 2), 1);
    EXPECT_EQ(duplicates.model.paths(), (QStringList{"B", "A", "A"}));
}

TEST(Reordering, DraggingSwapsStepByStepOnlyWithTheButtonHeldAndNeverEqualPaths) {
    List list({"W", "X", "Y", "Z"});
    RowDrag drag(list.model);
    drag.rowClicked(1);
    EXPECT_EQ(drag.movedOver(2), 0);
    drag.buttonPressed();
    EXPECT_EQ(drag.movedOver(1), 0);
    EXPECT_EQ(drag.movedOver(2), 2);
    EXPECT_EQ(drag.movedOver(4), 4);
    EXPECT_EQ(list.model.paths(), (QStringList{"X", "Z", "Y", "W"}));
    EXPECT_EQ(drag.movedOver(0), 0);
    drag.buttonReleased();
    EXPECT_EQ(drag.movedOver(1), 0);

    List equal({"A", "A", "B"});
    RowDrag same(equal.model);
    same.rowClicked(1);
    same.buttonPressed();
    EXPECT_EQ(same.movedOver(2), 0);
    EXPECT_EQ(same.movedOver(3), 3);
    EXPECT_EQ(equal.model.paths(), (QStringList{"B", "A", "A"}));
}

TEST(Reordering, ARememberedRowThatWasRemovedSinceLeavesTheListUnchanged) {
    List list({"W", "X", "Y"});
    RowDrag drag(list.model);
    drag.rowClicked(2);
    list.model.remove(2);
    drag.buttonPressed();
    EXPECT_EQ(drag.movedOver(1), 0);

    drag.rowClicked(1);
    list.model.clear();
    list.model.appendAll({"P", "Q"});
    EXPECT_EQ(drag.movedOver(2), 0);

    // Move Up carries the path in a new row, so the old row is gone for the drag too.
    drag.rowClicked(2);
    moveUp(list.model, 2);
    EXPECT_EQ(drag.movedOver(2), 0);
    EXPECT_EQ(list.model.paths(), (QStringList{"Q", "P"}));
}

TEST(Reordering, AutoScrollBandIsMeasuredOnTheScreen) {
    EXPECT_EQ(autoScrollRow(304, 5, 10), 4);
    EXPECT_EQ(autoScrollRow(305, 5, 10), 0);
    EXPECT_EQ(autoScrollRow(364, 5, 10), 0);
    EXPECT_EQ(autoScrollRow(365, 5, 10), 6);
    EXPECT_EQ(autoScrollRow(0, 1, 10), 0);
    EXPECT_EQ(autoScrollRow(900, 10, 10), 0);
}

TEST(FileList, PositionsCountFromOneAndOutsidePositionsChangeNothing) {
    List list({"a", "b"});
    list.model.insert(1, "first");
    list.model.insert(99, "last");
    list.model.remove(0);
    list.model.remove(5);
    list.model.setText(9, "x");
    EXPECT_EQ(list.model.paths(), (QStringList{"first", "a", "b", "last"}));
    EXPECT_EQ(list.model.text(2), "a");
    EXPECT_EQ(list.model.text(0), "");
}
