#include "batch/ReportLines.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
bool needsEscape(QChar character) {
    const char16_t unit = character.unicode();
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029 ||
           unit == u'%';
}
} // namespace

QString reportLine(const QString& text) {
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString line;
    line.reserve(text.size() + 8);
    for (const QChar character : text) {
        if (!needsEscape(character)) {
            line += character;
            continue;
        }
        for (const char byte : QString(character).toUtf8()) {
            const auto value = static_cast<unsigned char>(byte);
            line += QLatin1Char('%');
            line += QLatin1Char(kDigits[value >> 4]);
            line += QLatin1Char(kDigits[value & 0xF]);
        }
    }
    return line;
}

QStringList reportLines(const QString& text, const QStringList& quoted) {
    const QString lineBreak = QStringLiteral("\r\n");
    std::vector<std::pair<qsizetype, qsizetype>> kept;
    for (const QString& piece : quoted) {
        if (!piece.contains(lineBreak))
            continue;
        for (qsizetype at = text.indexOf(piece); at >= 0; at = text.indexOf(piece, at + 1))
            kept.emplace_back(at, at + piece.size());
    }
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(lineBreak); at >= 0; at = text.indexOf(lineBreak, at + 1)) {
        if (std::any_of(kept.begin(), kept.end(),
                        [at](const auto& piece) { return at >= piece.first && at < piece.second; }))
            continue;
        lines << text.mid(start, at - start);
        start = at + lineBreak.size();
    }
    lines << text.mid(start);
    return lines;
}
