#pragma once

#include <QString>
#include <QStringList>

// The batch program's report is read a line at a time, by people and by scripts. A text that
// comes from outside (a file name, a reason quoting a file, a table or sheet name, a path from
// the walk) must neither break its line nor reach the terminal as a control sequence.

// `text` as one line of the report: every control character (U+0000 to U+001F and U+007F to
// U+009F), the line and paragraph separators U+2028 and U+2029, and the percent sign itself as
// the percent-encoding of their UTF-8 bytes, as in a URL (%0A, %0D, %09, %1B, %25, %E2%80%A8);
// every other character as it is. Any URL decoder gives the text back.
QString reportLine(const QString& text);

// The lines of a message of the program's own, broken where it breaks them: at CR LF, but never
// inside one of the texts from outside that the message may quote (`quoted`: paths, sheet names),
// which may hold a CR LF of their own.
QStringList reportLines(const QString& text, const QStringList& quoted = {});
