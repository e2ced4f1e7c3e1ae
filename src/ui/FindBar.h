#pragma once

#include <QWidget>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

// Below the cell bar, shown by Ctrl+F: a text to find, in the current sheet or in all sheets.
// Enter or "Find Next" asks for the next match; the window says whether there was one. Esc or
// "Close" hides it.
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
    // Hides the bar and tells so, for the keys to go back where they were.
    void dismiss();

signals:
    void findNext();
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_text;
    QCheckBox* m_allSheets;
    QLabel* m_status;
};
