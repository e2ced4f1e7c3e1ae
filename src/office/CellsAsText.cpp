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

QString tabSeparatedText(const CellStore& cells, const CellRange& range) {
    const CellRange used = cells.usedRange();
    if (range.isEmpty() || used.isEmpty())
        return {};
    const int lastRow = std::min(range.lastRow, used.lastRow);
    const int lastColumn = std::min(range.lastColumn, used.lastColumn);
    if (range.firstRow > lastRow || range.firstColumn > lastColumn)
        return {};
    std::string out;
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
