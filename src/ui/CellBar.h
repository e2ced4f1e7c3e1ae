#pragma once

#include <QWidget>

class CellStore;
class QLabel;
class QPlainTextEdit;

// Above the grid: the selected cell's reference and its whole content, read-only. A text
// stands whole, its line breaks as line breaks; a number as it is stored, without the decimals
// the cell shows; a date or time as it was written.
class CellBar final : public QWidget {
    Q_OBJECT
public:
    explicit CellBar(QWidget* parent = nullptr);

    // Shows cell (row, column) of `cells`, from 1; nothing for no cell.
    void showCell(const CellStore* cells, int row, int column);

private:
    QLabel* m_reference;
    QPlainTextEdit* m_content;
};
