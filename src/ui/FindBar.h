#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

// Below the cell bar, shown by Ctrl+F: a text to find, in the current sheet or in all sheets.
// Enter or "Find Next" asks for the next match; the window says whether there was one.
class FindBar final : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready to type.
    void open();
    QString text() const;
    bool inAllSheets() const;
    // Says that nothing (more) holds the text, or clears that.
    void showNotFound(bool notFound);

signals:
    void findNext();

private:
    QLineEdit* m_text;
    QCheckBox* m_allSheets;
    QLabel* m_status;
};
