#pragma once

#include "sheet/Worksheet.h"

#include <cmath>
#include <cstdint>
#include <vector>

// What a status line tells of a selection: how many cells are filled and, of the numbers among
// them, how many, their sum and their average. Dates are filled cells but no numbers here: a
// sum of days since 1899 means nothing. It is worked out a bounded number of cells at a
// time, so that a whole column of a full sheet never holds its caller up; it reads its own copy
// of the cells, which a later change of the sheet leaves as it was.
class SelectionSummary {
public:
    SelectionSummary(const CellStore& cells, std::vector<CellRange> ranges);

    // Looks at up to about `budget` more cells; gives whether the whole selection is counted.
    bool advance(std::int64_t budget);
    bool isDone() const { return m_range >= m_ranges.size(); }

    std::int64_t filledCount() const { return m_filled; }
    std::int64_t numberCount() const { return m_numbers; }
    double sum() const { return std::isfinite(m_sum) ? m_sum + m_lostBits : m_sum; }
    double average() const { return m_numbers ? sum() / static_cast<double>(m_numbers) : 0; }

private:
    void add(double number);

    CellStore m_cells;
    std::vector<CellRange> m_ranges;
    size_t m_range = 0;
    int m_row = 0;
    std::int64_t m_filled = 0;
    std::int64_t m_numbers = 0;
    double m_sum = 0;
    // What adding each number to the running sum rounded away, added up on its own: without it
    // a thousand amounts in cents sum to 514710146.929999 rather than 514710146.93.
    double m_lostBits = 0;
};
