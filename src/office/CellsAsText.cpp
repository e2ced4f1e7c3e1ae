#include "office/CellsAsText.h"

#include "office/CellValue.h"
#include "office/Worksheet.h"

#include <algorithm>
#include <string>

namespace {
void appendField(std::string& out, std::string_view shown) {
    if (shown.find_first_of("\t\r\n\"") == std::string_view::npos) {
        out.append(shown);
        return;
    }
    out.push_back('"');
    for (const char c : shown) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}
} // namespace

namespace {
// The last row and column of `range` that hold anything, found from the rows' stored lengths
// so that a whole column of a million rows is not read twice.
std::pair<int, int> usedEnd(const CellStore& cells, const CellRange& range) {
    int lastRow = std::min(range.lastRow, cells.storedRowCount());
    const auto usedIn = [&](int row) {
        const auto [first, last] = cells.usedColumns(row);
        return first == 0 || first > range.lastColumn || last < range.firstColumn
                   ? 0
                   : std::min(last, range.lastColumn);
    };
    while (lastRow >= range.firstRow && usedIn(lastRow) == 0)
        --lastRow;
    int lastColumn = 0;
    for (int row = range.firstRow; row <= lastRow && lastColumn < range.lastColumn; ++row)
        if (std::min(cells.storedColumnCount(row), range.lastColumn) > lastColumn)
            lastColumn = std::max(lastColumn, usedIn(row));
    return {lastRow, lastColumn};
}
} // namespace

QString tabSeparatedText(const CellStore& cells, const CellRange& range) {
    if (range.isEmpty())
        return {};
    const auto [lastRow, lastColumn] = usedEnd(cells, range);
    if (range.firstRow > lastRow || range.firstColumn > lastColumn)
        return {};
    std::string out;
    out.reserve(static_cast<size_t>(lastRow - range.firstRow + 1) *
                static_cast<size_t>(lastColumn - range.firstColumn + 1) * 8);
    for (int row = range.firstRow; row <= lastRow; ++row) {
        const std::span<const Cell> stored = cells.row(row);
        for (int column = range.firstColumn; column <= lastColumn; ++column) {
            if (column > range.firstColumn)
                out.push_back('\t');
            if (column > static_cast<int>(stored.size()))
                continue;
            const Cell& cell = stored[static_cast<size_t>(column - 1)];
            if (cell.kind == Cell::Kind::Text)
                appendField(out, cells.textOf(cell));
            else if (cell.kind == Cell::Kind::Number)
                out.append(formatNumber(cell.number, cell.decimals));
        }
        out.push_back('\n');
    }
    return QString::fromStdString(out);
}
