#pragma once

#include <string_view>
#include <vector>

class CellStore;
class Worksheet;

// Widths are counted as spreadsheet files count them: in widths of the digit "0" of the sheet's
// font, so that a width means the same in the window, in the saved file and in the application
// that opens it, whatever the font.

// The width of a column that nobody sized.
inline constexpr double kDefaultColumnWidth = 8.43;
// The narrowest and the widest a column may be made; the widest is what spreadsheet
// applications allow.
inline constexpr double kMinColumnWidth = 1;
inline constexpr double kMaxColumnWidth = 255;
// The narrowest a column is fitted, room for the letters of its heading, and the widest, so that
// one long value leaves the other columns in view.
inline constexpr double kMinFittedWidth = 3;
inline constexpr double kMaxFittedWidth = 50;
// The sample that columns are fitted to: as many rows and columns as a screen shows and some
// more, whatever the size of the sheet, so that a sheet of a million rows fits as fast as one of
// a hundred.
inline constexpr int kFittedRows = 200;
inline constexpr int kFittedColumns = 200;

// How wide a text shows, in digit widths: its first line, a character of the East Asian wide
// forms counting two, a combining mark none. Counting stops once past `enough`.
int shownWidth(std::string_view utf8, int enough);

// The widths that columns `firstColumn` to `lastColumn` (from 1) are fitted to by what rows
// `firstRow` to `firstRow + rowCount - 1` show: the widest value shown there, numbers and dates
// as their formats show them, and a digit of room, between the fitted least and `widest`; 0 for
// a column that shows nothing there.
std::vector<double> fittedWidths(const CellStore& cells, int firstRow, int rowCount,
                                 int firstColumn, int lastColumn, double widest = kMaxFittedWidth);

// The width of each column of the sheet from column 1, as the window shows it and the saved file
// keeps it: the width set by hand, or else the width fitted to the sheet's first rows; 0 for a
// column that keeps the default width. Columns after the last one given keep it too.
std::vector<double> columnWidths(const Worksheet& sheet);
