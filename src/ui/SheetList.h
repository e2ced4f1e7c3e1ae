#pragma once

#include <QWidget>

class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStringListModel;

// Beside the grid: every sheet of the workbook by name, narrowed to those holding what is typed
// in its filter, so that any of thousands of sheets is a few keystrokes away. The active sheet
// is the current one in the list.
class SheetList final : public QWidget {
    Q_OBJECT
public:
    explicit SheetList(QWidget* parent = nullptr);

    void setSheets(const QStringList& names, int active);
    void setActive(int index);

signals:
    // Sheet `index`, from 1, was chosen.
    void sheetChosen(int index);

private:
    void chooseRow(int shownRow);

    QLineEdit* m_filter;
    QListView* m_list;
    QStringListModel* m_names;
    QSortFilterProxyModel* m_shown;
};
