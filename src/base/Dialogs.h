#pragma once

#include <QString>
#include <QStringList>

// The title of every message box that is given no title of its own.
inline const QString kApplicationTitle = QStringLiteral("Brindlequay");

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// A message's text with its line breaks (CR LF, or a lone CR) as line feeds, as a label or a
// terminal shows them.
inline QString withLineFeeds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// One modal message box or question, as the user is to see it.
struct Message {
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    QString title = kApplicationTitle;
    // The listed file whose own failure the message tells of; "" for every other message, so
    // that a run can gather such failures into one list instead of a box for each.
    QString aboutFile = {};

    bool operator==(const Message&) const = default;
};

// Everything that a person answers goes through here, so that tests can answer it instead.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a modal message box or question and waits for the answer.
    virtual MessageAnswer showMessage(const Message& message) = 0;
    // Asks for one line of text; "" when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    // Lets the user pick existing files; full paths in the chooser's order, none when cancelled.
    virtual QStringList chooseFiles(const QString& title, const QString& filter) = 0;
    // Lets the user pick a folder; its path, or "" when cancelled.
    virtual QString chooseFolder(const QString& title) = 0;
    // Lets the user name a file to save, proposing `suggested`; "" when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& filter,
                                   const QString& suggested) = 0;
};
