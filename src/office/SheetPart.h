#pragma once

#include <QStringList>

#include <array>
#include <cstdint>

class PartText;
class SharedStrings;
class Worksheet;

// The style of a number cell for each count of decimals: 0 for none, otherwise the number of
// the cell format that shows that many decimals.
using DecimalStyles = std::array<int, 31>;

// Writes one sheet as the package's worksheet part: its dimension, its rows with their spans
// and every non-empty cell, texts as numbers of shared strings. `selected` marks the sheet
// whose tab is chosen. Adds a line to `problems` for each text that lost its end to the file's
// limit.
void writeSheetPart(const Worksheet& sheet, bool selected, const DecimalStyles& styles,
                    SharedStrings& strings, PartText& part, QStringList& problems);
