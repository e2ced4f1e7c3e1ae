#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// The row of sheet tabs under the grid, one tab per sheet in the workbook's order, scrolled
// sideways when they do not fit. A list in one row rather than a tab bar: a tab bar lays out
// all its tabs again for each one added, which takes seconds for a workbook of thousands of
// sheets; this takes all the names at once, and lays them out a batch at a time between events.
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

protected:
    void updateGeometries() override;

signals:
    void currentTabChanged(int index);

private:
    // Scrolls the current tab into view, now if it is laid out, else once it is.
    void bringCurrentIntoView();

    QStringListModel* m_names;
    bool m_currentAwaitsLayout = false;
};
