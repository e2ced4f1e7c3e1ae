#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// The row of sheet tabs under the grid, one tab per sheet in the workbook's order, scrolled
// sideways when they do not fit. A list in one row rather than a tab bar: a tab bar lays out
// all its tabs again for each one added, which takes seconds for a workbook of thousands of
// sheets; this takes all the names at once.
class SheetTabs final : public QListView {
    Q_OBJECT
public:
    explicit SheetTabs(QWidget* parent = nullptr);

    // Shows these names as the tabs; the current tab stays the same place where it can.
    void setNames(const QStringList& names);
    int count() const;
    QString tabText(int index) const;
    // The current tab from 0; -1 when there is none.
    int currentIndex() const;
    // Makes a tab current, raising currentTabChanged when it changes.
    void setCurrentIndex(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void currentTabChanged(int index);

private:
    QStringListModel* m_names;
};
