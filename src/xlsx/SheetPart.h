#pragma once

#include "sheet/NumberFormats.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

class PartText;
class SharedStrings;
class Worksheet;

// The style of a number or date cell for each of the number formats that show values as they
// were written: 0 for the general format, otherwise the number of the cell format that has it.
using NumberFormatStyles = std::array<int, kNumberFormatCount>;
// The styles of cells by number format: a plain cell's, and that of a cell with a link, which
// looks like a link (a text cell's is the general format's).
struct CellStyles {
    NumberFormatStyles plain{};
    NumberFormatStyles linked{};
};

// Takes the reference of a cell whose text lost its end to the file's limit, and how many
// characters it lost.
using CutCellTaker = std::function<void(std::string_view reference, qint64 charactersCut)>;
// Told now and then how many of the sheet's stored rows are written.
using RowsWrittenTaker = std::function<void(int rows)>;

// Writes one sheet as the package's worksheet part: its dimension, its view (a frozen top row),
// its columns' widths, its rows with their spans and every non-empty cell, texts as numbers of
// shared strings, and its links to places in the workbook. `selected` marks the sheet whose tab
// is chosen.
void writeSheetPart(const Worksheet& sheet, bool selected, const CellStyles& styles,
                    SharedStrings& strings, PartText& part, const CutCellTaker& noteCut,
                    const RowsWrittenTaker& rowsWritten);
