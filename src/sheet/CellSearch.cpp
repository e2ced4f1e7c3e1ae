#include "sheet/CellSearch.h"

#include "sheet/NumberFormats.h"
#include "sheet/Workbook.h"
#include "sheet/Worksheet.h"

#include <algorithm>

namespace {
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

CellSearch::CellSearch(const CellStore& cells, const QString& wanted)
    : m_cells(cells), m_wanted(wanted) {
    bool ascii = true;
    for (const QChar c : wanted)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        std::string lower = wanted.toStdString();
        std::transform(lower.begin(), lower.end(), lower.begin(), asciiLower);
        m_ascii = std::move(lower);
    }
    // A number shows as digits, a point and a minus, never in exponent form; a date adds colons
    // and the letter T.
    const auto onlyOf = [&](std::string_view others) {
        return !wanted.isEmpty() && std::all_of(wanted.begin(), wanted.end(), [&](QChar c) {
            const char16_t unit = c.unicode();
            return (unit >= u'0' && unit <= u'9') ||
                   (unit < 0x80 && others.find(static_cast<char>(unit)) != std::string_view::npos);
        });
    };
    m_mayMatchNumbers = onlyOf(".-");
    m_mayMatchDates = onlyOf(".-:Tt");
    m_textMatches.assign(cells.texts().size(), 0);
}

bool CellSearch::shownTextMatches(std::string_view shown) const {
    if (m_ascii) {
        const std::string& wanted = *m_ascii;
        return std::search(shown.begin(), shown.end(), wanted.begin(), wanted.end(),
                           [](char a, char b) { return asciiLower(a) == b; }) != shown.end();
    }
    return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()))
        .contains(m_wanted, Qt::CaseInsensitive);
}

bool CellSearch::textMatches(std::uint32_t text) {
    // A text kept after the search began is looked at every time.
    if (text >= m_textMatches.size())
        return shownTextMatches(m_cells.texts().text(text));
    std::uint8_t& known = m_textMatches[text];
    if (known == 0)
        known = shownTextMatches(m_cells.texts().text(text)) ? 1 : 2;
    return known == 1;
}

std::optional<CellPlace> CellSearch::nextAfter(CellPlace after, CellPlace until) {
    if (m_wanted.isEmpty())
        return std::nullopt;
    const int lastRow = std::min(until.row, m_cells.storedRowCount());
    for (int row = std::max(after.row, 1); row <= lastRow; ++row) {
        const std::span<const Cell> cells = m_cells.row(row);
        const int first = row == after.row ? after.column + 1 : 1;
        const int last = row == until.row ? std::min(until.column, static_cast<int>(cells.size()))
                                          : static_cast<int>(cells.size());
        for (int column = first; column <= last; ++column) {
            const Cell& cell = cells[static_cast<size_t>(column - 1)];
            bool found = false;
            switch (cell.kind) {
            case Cell::Kind::Text:
                found = textMatches(cell.text);
                break;
            case Cell::Kind::Number:
                found = m_mayMatchNumbers && shownTextMatches(shownValue(cell));
                break;
            case Cell::Kind::Date:
                found = m_mayMatchDates && shownTextMatches(shownValue(cell));
                break;
            case Cell::Kind::Empty:
                break;
            }
            if (found)
                return CellPlace{row, column};
        }
    }
    return std::nullopt;
}

std::optional<WorkbookPlace> findInWorkbook(const Workbook& workbook, WorkbookPlace after,
                                            const QString& wanted, bool allSheets) {
    const int count = workbook.sheetCount();
    if (after.sheet < 1 || after.sheet > count)
        return std::nullopt;
    const auto search = [&](int sheet, CellPlace from,
                            CellPlace until) -> std::optional<WorkbookPlace> {
        const std::optional<CellPlace> found =
            CellSearch(workbook.sheet(sheet).cells(), wanted).nextAfter(from, until);
        return found ? std::optional(WorkbookPlace{sheet, *found}) : std::nullopt;
    };
    const CellPlace end{kMaxRows, kMaxColumns};
    if (auto found = search(after.sheet, after.cell, end))
        return found;
    for (int step = 1; allSheets && step < count; ++step)
        if (auto found = search((after.sheet - 1 + step) % count + 1, {0, 0}, end))
            return found;
    // Around to the start of the sheet: the cell it began at is the last one looked at.
    return search(after.sheet, {0, 0}, after.cell);
}
