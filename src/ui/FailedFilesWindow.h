#pragma once

#include <QStringList>
#include <QWidget>

class Dialogs;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The files a run could not import, listed at its end with their count; the list can be copied
// as text or saved as a text file, one line per file. It stays open beside the main window
// until the user closes it.
class FailedFilesWindow final : public QWidget {
    Q_OBJECT
public:
    FailedFilesWindow(QStringList lines, Dialogs& dialogs, QWidget* parent = nullptr);

    const QStringList& lines() const { return m_lines; }
    // The list as text, one line per file, each ending in a line break.
    QString text() const;
    // Puts the list on the clipboard.
    void copyList();
    // Asks where, then saves the list there; false when cancelled or failed (and said).
    bool saveList();

private:
    QStringList m_lines;
    Dialogs& m_dialogs;
};
