#include "sheet/CellAddress.h"

#include "sheet/Worksheet.h"

#include <QRegularExpression>

namespace {
// The sheet's name and the rest after its "!", from a name in quotes; none when the quotes are
// left open or no "!" follows them.
std::optional<std::pair<QString, QString>> splitQuotedSheet(const QString& text) {
    QString name;
    for (qsizetype at = 1; at < text.size(); ++at) {
        if (text[at] != QLatin1Char('\'')) {
            name += text[at];
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == QLatin1Char('\'')) {
            name += QLatin1Char('\'');
            ++at;
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == QLatin1Char('!'))
            return std::pair(name, text.mid(at + 2));
        return std::nullopt;
    }
    return std::nullopt;
}
} // namespace

std::optional<CellAddress> parseCellAddress(const QString& text) {
    CellAddress address;
    QString cell = text.trimmed();
    if (cell.startsWith(QLatin1Char('\''))) {
        const std::optional<std::pair<QString, QString>> split = splitQuotedSheet(cell);
        if (!split || split->first.isEmpty())
            return std::nullopt;
        address.sheet = split->first;
        cell = split->second;
    } else if (const qsizetype bang = cell.lastIndexOf(QLatin1Char('!')); bang >= 0) {
        address.sheet = cell.left(bang);
        if (address.sheet.isEmpty())
            return std::nullopt;
        cell = cell.mid(bang + 1);
    }
    static const QRegularExpression reference(
        QStringLiteral("^\\$?([A-Za-z]{1,3})\\$?([1-9][0-9]{0,6})$"));
    const QRegularExpressionMatch match = reference.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    for (const QChar letter : match.captured(1).toUpper())
        address.column = address.column * 26 + (letter.unicode() - 'A' + 1);
    address.row = match.captured(2).toInt();
    if (address.column > kMaxColumns || address.row > kMaxRows)
        return std::nullopt;
    return address;
}
