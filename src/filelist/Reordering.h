#pragma once

#include <QPersistentModelIndex>

class FileList;

// Moves the path of row `selected` one row up by inserting a row that carries it above its
// neighbour and removing the old row. Gives the row to select and show afterwards, or 0 when
// nothing moved (no selection, or the first row).
int moveUp(FileList& list, int selected);
// The same, one row down; 0 when nothing moved (no selection, or the last row).
int moveDown(FileList& list, int selected);

// Dragging a row with the mouse: every move over another row swaps the two rows' texts, so the
// dragged path travels step by step while the rows themselves stay in place.
class RowDrag {
public:
    explicit RowDrag(FileList& list);

    // A click on a row makes it the row to drag.
    void rowClicked(int position);
    void buttonPressed() { m_active = true; }
    void buttonReleased() { m_active = false; }
    bool active() const { return m_active; }

    // The pointer moved over row `target` (0: over no row). Gives the row where the dragged path
    // now stands when two rows were swapped, else 0. A dragged row that was removed meanwhile
    // leaves the list unchanged.
    int movedOver(int target);

private:
    FileList& m_list;
    QPersistentModelIndex m_dragItem;
    bool m_active = false;
};

// The row to scroll into view after a swap onto `target`, from the pointer's height on the
// screen: the row above near the top, the row below further down, none in between; 0 for none.
int autoScrollRow(int screenY, int target, int rowCount);
