#include "sheet/ColumnWidths.h"

#include "sheet/NumberFormats.h"
#include "sheet/Worksheet.h"

#include <algorithm>
#include <cstdint>

namespace {
// A digit of room beside the widest value, for capitals and the cell's margins.
constexpr int kFittedRoom = 1;

bool inRange(char32_t code, char32_t first, char32_t last) {
    return code >= first && code <= last;
}

// How many digit widths a character takes on screen.
int characterWidth(char32_t code) {
    if (code < 0x300)
        return 1;
    // Marks that sit on the character before them, and the invisible joiners and selectors.
    if (inRange(code, 0x300, 0x36F) || inRange(code, 0x1AB0, 0x1AFF) ||
        inRange(code, 0x1DC0, 0x1DFF) || inRange(code, 0x200B, 0x200F) ||
        inRange(code, 0x20D0, 0x20FF) || inRange(code, 0xFE00, 0xFE0F) ||
        inRange(code, 0xFE20, 0xFE2F) || code == 0xFEFF)
        return 0;
    // The East Asian wide and full-width forms: Hangul, the CJK ideographs and syllabaries,
    // full-width Latin, and the pictographs shown as wide.
    if (inRange(code, 0x1100, 0x115F) || inRange(code, 0x2E80, 0x303E) ||
        inRange(code, 0x3041, 0x33FF) || inRange(code, 0x3400, 0x4DBF) ||
        inRange(code, 0x4E00, 0x9FFF) || inRange(code, 0xA000, 0xA4CF) ||
        inRange(code, 0xAC00, 0xD7A3) || inRange(code, 0xF900, 0xFAFF) ||
        inRange(code, 0xFE30, 0xFE4F) || inRange(code, 0xFF00, 0xFF60) ||
        inRange(code, 0xFFE0, 0xFFE6) || inRange(code, 0x1F300, 0x1F64F) ||
        inRange(code, 0x1F900, 0x1F9FF) || inRange(code, 0x20000, 0x3FFFD))
        return 2;
    return 1;
}
} // namespace

int shownWidth(std::string_view utf8, int enough) {
    int width = 0;
    size_t at = 0;
    while (at < utf8.size() && width <= enough) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead == '\n' || lead == '\r')
            break;
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (size_t i = 1; i < length && at + i < utf8.size(); ++i)
            code = (code << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3Fu);
        width += characterWidth(code);
        at += length;
    }
    return width;
}

std::vector<double> fittedWidths(const CellStore& cells, int firstRow, int rowCount,
                                 int firstColumn, int lastColumn, double widest) {
    firstRow = std::max(firstRow, 1);
    firstColumn = std::max(firstColumn, 1);
    if (lastColumn < firstColumn)
        return {};
    // The widest value of each column in digit widths; -1 where nothing shows.
    std::vector<int> shownWidest(static_cast<size_t>(lastColumn - firstColumn + 1), -1);
    const int enough = static_cast<int>(widest);
    const int lastRow = std::min(cells.storedRowCount(), firstRow + rowCount - 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::span<const Cell> stored = cells.row(row);
        const int last = std::min(lastColumn, static_cast<int>(stored.size()));
        for (int column = firstColumn; column <= last; ++column) {
            const Cell& cell = stored[static_cast<size_t>(column - 1)];
            int& width = shownWidest[static_cast<size_t>(column - firstColumn)];
            if (cell.kind == Cell::Kind::Empty || width > enough)
                continue;
            // Numbers and dates show in digits and signs only.
            const int shown = cell.kind == Cell::Kind::Text
                                  ? shownWidth(cells.textOf(cell), enough)
                                  : static_cast<int>(shownValue(cell).size());
            width = std::max(width, shown);
        }
    }
    std::vector<double> widths(shownWidest.size(), 0);
    for (size_t at = 0; at < shownWidest.size(); ++at)
        if (shownWidest[at] >= 0)
            widths[at] = std::clamp<double>(shownWidest[at] + kFittedRoom, kMinFittedWidth, widest);
    return widths;
}

std::vector<double> columnWidths(const Worksheet& sheet) {
    std::vector<double> widths = fittedWidths(sheet.cells(), 1, kFittedRows, 1, kFittedColumns);
    for (const auto& [column, width] : sheet.widthsSetByHand()) {
        if (static_cast<size_t>(column) > widths.size())
            widths.resize(static_cast<size_t>(column), 0);
        widths[static_cast<size_t>(column - 1)] = width;
    }
    while (!widths.empty() && widths.back() == 0)
        widths.pop_back();
    return widths;
}
