#include "sheet/CellsAsText.h"

#include "sheet/NumberFormats.h"
#include "sheet/Worksheet.h"

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

bool inside(const CellRange& range, int row, int column) {
    return row >= range.firstRow && row <= range.lastRow && column >= range.firstColumn &&
           column <= range.lastColumn;
}
} // namespace

QString tabSeparatedText(const CellStore& cells, const std::vector<CellRange>& selected) {
    CellRange box;
    for (const CellRange& range : selected) {
        if (range.isEmpty())
            continue;
        box = box.isEmpty() ? range
                            : CellRange{std::min(box.firstRow, range.firstRow),
                                        std::min(box.firstColumn, range.firstColumn),
                                        std::max(box.lastRow, range.lastRow),
                                        std::max(box.lastColumn, range.lastColumn)};
    }
    if (box.isEmpty())
        return {};
    const auto isSelected = [&](int row, int column) {
        return selected.size() == 1 ||
               std::any_of(selected.begin(), selected.end(),
                           [&](const CellRange& range) { return inside(range, row, column); });
    };
    std::string out;
    out.reserve(static_cast<size_t>(box.rowCount()) * static_cast<size_t>(box.columnCount()) * 8);
    for (int row = box.firstRow; row <= box.lastRow; ++row) {
        const std::span<const Cell> stored = cells.row(row);
        for (int column = box.firstColumn; column <= box.lastColumn; ++column) {
            if (column > box.firstColumn)
                out.push_back('\t');
            if (column > static_cast<int>(stored.size()) || !isSelected(row, column))
                continue;
            const Cell& cell = stored[static_cast<size_t>(column - 1)];
            if (cell.kind == Cell::Kind::Text)
                appendField(out, cells.textOf(cell));
            else if (cell.kind != Cell::Kind::Empty)
                out.append(shownValue(cell));
        }
        out.push_back('\n');
    }
    return QString::fromStdString(out);
}

CellRange trimmedToUsed(const CellStore& cells, const CellRange& range) {
    if (range.isEmpty())
        return {};
    const auto lastUsedIn = [&](int row) {
        const auto [first, last] = cells.usedColumns(row);
        return first == 0 || first > range.lastColumn || last < range.firstColumn
                   ? 0
                   : std::min(last, range.lastColumn);
    };
    int lastRow = std::min(range.lastRow, cells.storedRowCount());
    while (lastRow >= range.firstRow && lastUsedIn(lastRow) == 0)
        --lastRow;
    int lastColumn = 0;
    for (int row = range.firstRow; row <= lastRow && lastColumn < range.lastColumn; ++row)
        if (std::min(cells.storedColumnCount(row), range.lastColumn) > lastColumn)
            lastColumn = std::max(lastColumn, lastUsedIn(row));
    if (lastRow < range.firstRow || lastColumn < range.firstColumn)
        return {};
    return {range.firstRow, range.firstColumn, lastRow, lastColumn};
}
