#include "sheet/SelectionSummary.h"

#include <algorithm>

SelectionSummary::SelectionSummary(const CellStore& cells, std::vector<CellRange> ranges)
    : m_cells(cells), m_ranges(std::move(ranges)) {
    std::erase_if(m_ranges, [](const CellRange& range) { return range.isEmpty(); });
    if (!m_ranges.empty())
        m_row = m_ranges.front().firstRow;
}

bool SelectionSummary::advance(std::int64_t budget) {
    while (!isDone() && budget > 0) {
        const CellRange& range = m_ranges[m_range];
        // Rows past the stored ones hold nothing: a whole column ends where its data ends.
        const int lastRow = std::min(range.lastRow, m_cells.storedRowCount());
        if (m_row > lastRow) {
            if (++m_range < m_ranges.size())
                m_row = m_ranges[m_range].firstRow;
            continue;
        }
        const std::span<const Cell> row = m_cells.row(m_row);
        const int lastColumn = std::min(range.lastColumn, static_cast<int>(row.size()));
        for (int column = range.firstColumn; column <= lastColumn; ++column) {
            const Cell& cell = row[static_cast<size_t>(column - 1)];
            if (cell.kind == Cell::Kind::Empty)
                continue;
            ++m_filled;
            if (cell.kind == Cell::Kind::Number) {
                ++m_numbers;
                add(cell.number);
            }
        }
        budget -= std::max(1, lastColumn - range.firstColumn + 1);
        ++m_row;
    }
    return isDone();
}

void SelectionSummary::add(double number) {
    // Neumaier's compensated summation: the error of each addition is exact in floating point.
    const double sum = m_sum + number;
    if (std::abs(m_sum) >= std::abs(number))
        m_lostBits += (m_sum - sum) + number;
    else
        m_lostBits += (number - sum) + m_sum;
    m_sum = sum;
}
