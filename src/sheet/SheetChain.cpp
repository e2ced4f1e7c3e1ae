#include "sheet/SheetChain.h"

#include <algorithm>
#include <cstdint>

namespace {
// Rows as one column of sheets numbers them: row r of sheet i is row i × 1,048,576 + r.
std::int64_t chainRow(size_t sheet, int row) {
    return static_cast<std::int64_t>(sheet) * kMaxRows + row;
}
} // namespace

TallBlock copyUsedRows(const std::vector<const CellStore*>& sheets) {
    std::int64_t firstRow = 0;
    std::int64_t lastRow = 0;
    int firstColumn = kMaxColumns;
    int lastColumn = 0;
    // Each walks every cell of its sheet, a million rows of them: once is enough.
    std::vector<CellRange> usedRanges;
    usedRanges.reserve(sheets.size());
    for (size_t i = 0; i < sheets.size(); ++i) {
        const CellRange used = usedRanges.emplace_back(sheets[i]->usedRange());
        if (used.isEmpty())
            continue;
        if (firstRow == 0)
            firstRow = chainRow(i, used.firstRow);
        lastRow = chainRow(i, used.lastRow);
        firstColumn = std::min(firstColumn, used.firstColumn);
        lastColumn = std::max(lastColumn, used.lastColumn);
    }
    TallBlock block;
    if (firstRow == 0)
        return block;
    block.resize(static_cast<size_t>((lastRow - firstRow) / kMaxRows + 1));
    for (size_t i = 0; i < sheets.size(); ++i) {
        const CellRange& used = usedRanges[i];
        if (used.isEmpty())
            continue;
        // The sheet's rows fall into at most two pieces of the block.
        for (std::int64_t from = std::max(chainRow(i, 1), firstRow);
             from <= chainRow(i, used.lastRow);) {
            const std::int64_t blockRow = from - firstRow;
            const size_t piece = static_cast<size_t>(blockRow / kMaxRows);
            const std::int64_t to =
                std::min(chainRow(i, used.lastRow), from + (kMaxRows - 1 - blockRow % kMaxRows));
            const CellRange range{static_cast<int>(from - chainRow(i, 0)), firstColumn,
                                  static_cast<int>(to - chainRow(i, 0)), lastColumn};
            const CellStore part = sheets[i]->copy(range);
            block[piece].paste(part, static_cast<int>(blockRow % kMaxRows) + 1, 1);
            from = to + 1;
        }
    }
    return block;
}

void pasteRows(const TallBlock& block, int row, int column,
               const std::function<CellStore&(int index)>& sheetAt) {
    for (size_t piece = 0; piece < block.size(); ++piece) {
        const CellStore& cells = block[piece];
        if (cells.cellCount() == 0)
            continue;
        const int sheet = static_cast<int>(piece);
        if (row == 1) {
            sheetAt(sheet).paste(cells, 1, column);
            continue;
        }
        const CellRange used = cells.usedRange();
        // Below row 1 each piece straddles two sheets: its top fills the first from `row`, the
        // rest goes on from row 1 of the next.
        const int fitting = kMaxRows - row + 1;
        if (used.firstRow <= fitting)
            sheetAt(sheet).paste(
                cells.copy({1, 1, std::min(fitting, used.lastRow), used.lastColumn}), row, column);
        if (used.lastRow > fitting)
            sheetAt(sheet + 1).paste(cells.copy({fitting + 1, 1, used.lastRow, used.lastColumn}), 1,
                                     column);
    }
}
