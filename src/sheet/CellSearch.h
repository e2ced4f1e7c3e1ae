#pragma once

#include "sheet/Worksheet.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Workbook;

// A cell by row and column, from 1.
struct CellPlace {
    int row = 0;
    int column = 0;

    bool operator==(const CellPlace&) const = default;
};

// Finds the cells of a sheet whose shown text holds a piece of text, without regard to letter
// case. Each distinct text of the sheet is looked at once, however often it stands in cells,
// so that finding again in a sheet of millions of cells costs a scan of the cells only.
class CellSearch {
public:
    CellSearch(const CellStore& cells, const QString& wanted);

    // The first cell after `after` in reading order (row by row, left to right) that holds the
    // text, up to `until` included; none when no such cell does. {0, 0} stands before A1.
    std::optional<CellPlace> nextAfter(CellPlace after, CellPlace until = {kMaxRows, kMaxColumns});

private:
    bool textMatches(std::uint32_t text);
    bool shownTextMatches(std::string_view shown) const;

    const CellStore& m_cells;
    QString m_wanted;
    // The wanted text in lower case, when it is ASCII: compared byte by byte.
    std::optional<std::string> m_ascii;
    // Whether a number's shown text could hold the wanted text at all.
    bool m_mayMatchNumbers = false;
    bool m_mayMatchDates = false;
    // By text number: 0 not looked at yet, 1 holds the wanted text, 2 does not.
    std::vector<std::uint8_t> m_textMatches;
};

// A cell of a workbook: its sheet, from 1, and its place.
struct WorkbookPlace {
    int sheet = 0;
    CellPlace cell;

    bool operator==(const WorkbookPlace&) const = default;
};

// The next cell after `after` that holds `wanted`, as a find in a spreadsheet goes: on to the
// end of the sheet; then, when `allSheets`, through the sheets after it and from the first
// sheet; then from the start of the sheet up to `after` itself. None when no cell holds it.
std::optional<WorkbookPlace> findInWorkbook(const Workbook& workbook, WorkbookPlace after,
                                            const QString& wanted, bool allSheets);
