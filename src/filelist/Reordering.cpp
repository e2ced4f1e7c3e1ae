#include "filelist/Reordering.h"

#include "filelist/FileList.h"

namespace {
// The band of screen heights, in pixels from the top edge, in which a drag scrolls nothing.
constexpr int kScrollUpBelow = 305;
constexpr int kScrollDownFrom = 365;
} // namespace

int moveUp(FileList& list, int selected) {
    if (selected <= 1 || selected > list.count())
        return 0;
    const QString moved = list.text(selected);
    list.insert(selected - 1, moved);
    list.remove(selected + 1);
    return selected - 1;
}

int moveDown(FileList& list, int selected) {
    if (selected < 1 || selected >= list.count())
        return 0;
    const QString moved = list.text(selected);
    list.insert(selected + 2, moved);
    list.remove(selected);
    return selected + 1;
}

RowDrag::RowDrag(FileList& list) : m_list(list) {}

void RowDrag::rowClicked(int position) {
    m_dragItem = QPersistentModelIndex(m_list.index(position - 1));
}

int RowDrag::movedOver(int target) {
    if (!m_active || target < 1 || target > m_list.count() || !m_dragItem.isValid())
        return 0;
    const int dragged = m_dragItem.row() + 1;
    const QString draggedText = m_list.text(dragged);
    const QString targetText = m_list.text(target);
    if (draggedText == targetText)
        return 0;
    m_list.setText(dragged, targetText);
    m_list.setText(target, draggedText);
    m_dragItem = QPersistentModelIndex(m_list.index(target - 1));
    return target;
}

int autoScrollRow(int screenY, int target, int rowCount) {
    if (screenY < kScrollUpBelow && target - 1 >= 1)
        return target - 1;
    if (screenY >= kScrollDownFrom && target + 1 <= rowCount)
        return target + 1;
    return 0;
}
