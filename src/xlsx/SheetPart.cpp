#include "xlsx/SheetPart.h"

#include "base/StopSignals.h"
#include "sheet/ColumnWidths.h"
#include "sheet/Worksheet.h"
#include "xlsx/PartText.h"
#include "xlsx/SharedStrings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

namespace {
// Rows are described in blocks of this many, each block with the columns its rows span.
constexpr int kSpanRows = 16;

// The letters of a column, "A" to "XFD", written at `out`; gives the end.
char* columnLetters(int column, char* out) {
    char letters[4];
    int count = 0;
    for (int rest = column; rest > 0; rest = (rest - 1) / 26)
        letters[count++] = static_cast<char>('A' + (rest - 1) % 26);
    while (count > 0)
        *out++ = letters[--count];
    return out;
}

// Copies a literal's characters, without its terminating zero, to `out`; gives the end.
template <size_t N> char* put(char* out, const char (&literal)[N]) {
    return std::copy_n(literal, N - 1, out);
}

char* decimal(std::uint64_t value, char* out) {
    return std::to_chars(out, out + 20, value).ptr;
}

std::string reference(int row, int column) {
    char text[48];
    char* end = decimal(static_cast<std::uint64_t>(row), columnLetters(column, text));
    return std::string(text, end);
}

// A number as the file's writers print it: sixteen significant digits, shortest form.
char* number(double value, char* out) {
    // A whole number of up to sixteen digits, dates among them, is those digits: the general
    // form takes several times as long to find the same.
    constexpr double kWholeDigitsShown = 1e16;
    if (value > -kWholeDigitsShown && value < kWholeDigitsShown && value != 0) {
        const auto whole = static_cast<std::int64_t>(value);
        if (static_cast<double>(whole) == value)
            return std::to_chars(out, out + 20, whole).ptr;
    }
    char* end = std::to_chars(out, out + 32, value, std::chars_format::general, 16).ptr;
    for (char* at = out; at != end; ++at)
        if (*at == 'e')
            *at = 'E';
    return end;
}

std::string spansOf(const CellStore& cells, int blockFirstRow) {
    int first = 0, last = 0;
    const int lastRow = std::min(cells.storedRowCount(), blockFirstRow + kSpanRows - 1);
    for (int row = blockFirstRow; row <= lastRow; ++row) {
        const auto [from, to] = cells.usedColumns(row);
        if (!from)
            continue;
        first = first ? std::min(first, from) : from;
        last = std::max(last, to);
    }
    char text[48];
    char* end = decimal(static_cast<std::uint64_t>(first), text);
    *end++ = ':';
    end = decimal(static_cast<std::uint64_t>(last), end);
    return std::string(text, end);
}

// A width as the file keeps it: in widths of the digit of the default font (7 pixels) with the
// cell's padding (5 pixels) added, in 256ths, as spreadsheet applications and the format's
// reference library count it.
double savedWidth(double width) {
    constexpr double kDigitPixels = 7;
    constexpr double kPaddingPixels = 5;
    const double pixels = static_cast<double>(std::lround(width * kDigitPixels)) + kPaddingPixels;
    return static_cast<std::uint16_t>(pixels / kDigitPixels * 256.0) / 256.0;
}

// The columns' widths, columns of one width side by side in one element.
std::string colsOf(const Worksheet& sheet) {
    const std::vector<double> widths = columnWidths(sheet);
    std::string cols;
    char text[96];
    for (size_t first = 0; first < widths.size();) {
        size_t last = first;
        while (last + 1 < widths.size() && widths[last + 1] == widths[first])
            ++last;
        if (widths[first] > 0) {
            char* at = put(text, "<col min=\"");
            at = decimal(first + 1, at);
            at = put(at, "\" max=\"");
            at = decimal(last + 1, at);
            at = put(at, "\" width=\"");
            at = number(savedWidth(widths[first]), at);
            at = put(at, "\" customWidth=\"1\"/>");
            cols.append(text, at);
        }
        first = last + 1;
    }
    return cols.empty() ? cols : "<cols>" + cols + "</cols>";
}

// A text as an attribute's value.
std::string attributeText(std::string_view text) {
    std::string escaped;
    appendEscaped(escaped, text, true);
    return escaped;
}

// The sheet's links, each with the place it leads to: the sheet's name always in apostrophes,
// so that a name with spaces, apostrophes or any other character reads back whole.
std::string hyperlinksOf(const Worksheet& sheet) {
    if (sheet.links().empty())
        return {};
    std::string hyperlinks = "<hyperlinks>";
    for (const SheetLink& link : sheet.links()) {
        QString quoted = link.sheet;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        // Appended piece by piece: the optimiser of the packages' build warns falsely of
        // overlapping copies in a sum of texts.
        std::string location = "'";
        location.append(quoted.toStdString())
            .append("'!")
            .append(reference(link.targetRow, link.targetColumn));
        hyperlinks.append("<hyperlink ref=\"")
            .append(reference(link.row, link.column))
            .append("\" location=\"")
            .append(attributeText(location))
            .append("\"");
        if (const std::string shown = sheet.cells().display(link.row, link.column); !shown.empty())
            hyperlinks.append(" display=\"")
                .append(attributeText(savedText(shown).escaped))
                .append("\"");
        hyperlinks += "/>";
    }
    hyperlinks += "</hyperlinks>";
    return hyperlinks;
}

std::string dimensionOf(const CellStore& cells) {
    const CellRange used = cells.usedRange();
    if (used.isEmpty())
        return "A1";
    std::string first = reference(used.firstRow, used.firstColumn);
    if (used.firstRow == used.lastRow && used.firstColumn == used.lastColumn)
        return first;
    return first + ":" + reference(used.lastRow, used.lastColumn);
}
// Ends a text cell whose start `cell` holds with the text in it, as the shared list would have
// held it.
void appendInlineText(std::string& cell, std::string_view text, std::string_view reference,
                      const CutCellTaker& noteCut) {
    cell.append("\" t=\"inlineStr\"><is>");
    const std::optional<SavedText> changed = changedForSaving(text);
    if (changed) {
        text = changed->escaped;
        if (changed->charactersCut > 0)
            noteCut(reference, changed->charactersCut);
    }
    appendTextElement(cell, text);
    cell.append("</is></c>");
}
// The part up to the sheet's data: its size, its view and its columns.
void appendSheetHead(const Worksheet& sheet, bool selected, PartText& part) {
    part.append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
                "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships\"><dimension ref=\"");
    part.append(dimensionOf(sheet.cells()));
    part.append(selected ? "\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\""
                         : "\"/><sheetViews><sheetView workbookViewId=\"0\"");
    part.append(sheet.isTopRowFrozen()
                    ? "><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
                      "state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView>"
                    : "/>");
    part.append("</sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>");
    part.append(colsOf(sheet));
}

// The sheet's links, in the order of their cells, met as the cells are written.
class LinkCursor {
public:
    explicit LinkCursor(const std::vector<SheetLink>& links) : m_links(links) {}

    bool isLinked(int row, int column) {
        if (m_links.empty())
            return false;
        while (m_next < m_links.size() &&
               std::pair(m_links[m_next].row, m_links[m_next].column) < std::pair(row, column))
            ++m_next;
        return m_next < m_links.size() && m_links[m_next].row == row &&
               m_links[m_next].column == column;
    }

private:
    const std::vector<SheetLink>& m_links;
    size_t m_next = 0;
};

// What each cell of a sheet is written with.
struct CellWriting {
    const CellStore& cells;
    const CellStyles& styles;
    SharedStrings& strings;
    const CutCellTaker& noteCut;
    bool textsInCells;
    LinkCursor links;
    std::string inlineText;
};

// One cell that holds something, made whole here and handed over at once.
inline void appendCell(CellWriting& writing, const Cell& cell, int row, int column,
                       std::string_view rowNumber, PartText& part) {
    char text[128];
    char* at = put(text, "<c r=\"");
    char* const ref = at;
    at = columnLetters(column, at);
    at = std::copy(rowNumber.begin(), rowNumber.end(), at);
    const std::string_view reference(ref, static_cast<size_t>(at - ref));
    const NumberFormatStyles& formatStyles =
        writing.links.isLinked(row, column) ? writing.styles.linked : writing.styles.plain;
    const int format = cell.kind == Cell::Kind::Text ? kGeneralFormat : numberFormatOf(cell);
    if (const int style = formatStyles[static_cast<size_t>(format)]; style > 0) {
        at = put(at, "\" s=\"");
        at = decimal(static_cast<std::uint64_t>(style), at);
    }
    if (cell.kind != Cell::Kind::Text) {
        at = put(at, "\"><v>");
        at = number(cell.number, at);
    } else if (writing.textsInCells) {
        writing.inlineText.assign(text, static_cast<size_t>(at - text));
        appendInlineText(writing.inlineText, writing.cells.texts().text(cell.text), reference,
                         writing.noteCut);
        part.append(writing.inlineText);
        return;
    } else {
        const std::uint32_t shared = writing.strings.numberOf(cell.text);
        if (const qint64 cut = writing.strings.charactersCut(shared); cut > 0)
            writing.noteCut(reference, cut);
        at = put(at, "\" t=\"s\"><v>");
        at = decimal(shared, at);
    }
    at = put(at, "</v></c>");
    part.append({text, static_cast<size_t>(at - text)});
}
} // namespace

void writeSheetPart(const Worksheet& sheet, bool selected, const CellStyles& styles,
                    SharedStrings& strings, PartText& part, const CutCellTaker& noteCut,
                    const RowsWrittenTaker& rowsWritten) {
    const CellStore& cells = sheet.cells();
    CellWriting writing{
        cells, styles, strings, noteCut, sheet.keepsTextsInCells(), LinkCursor(sheet.links()), {}};
    if (!writing.textsInCells)
        strings.beginSheet(cells.texts());
    appendSheetHead(sheet, selected, part);
    part.append(cells.cellCount() == 0 ? "<sheetData/>" : "<sheetData>");
    std::string spans;
    int spansBlock = -1;
    for (int row = 1; row <= cells.storedRowCount(); ++row) {
        const std::span<const Cell> stored = cells.row(row);
        if (std::none_of(stored.begin(), stored.end(),
                         [](const Cell& cell) { return cell.kind != Cell::Kind::Empty; }))
            continue;
        const int block = (row - 1) / kSpanRows;
        if (block != spansBlock) {
            // A sheet of a million rows takes seconds: a stop asked for meanwhile is heeded.
            stopWhenAsked();
            rowsWritten(row - 1);
            spans = spansOf(cells, block * kSpanRows + 1);
            spansBlock = block;
        }
        char rowText[24];
        const std::string_view rowNumber(
            rowText,
            static_cast<size_t>(decimal(static_cast<std::uint64_t>(row), rowText) - rowText));
        part.append("<row r=\"");
        part.append(rowNumber);
        part.append("\" spans=\"");
        part.append(spans);
        part.append("\">");
        for (int column = 1; column <= static_cast<int>(stored.size()); ++column) {
            const Cell& cell = stored[static_cast<size_t>(column - 1)];
            if (cell.kind != Cell::Kind::Empty)
                appendCell(writing, cell, row, column, rowNumber, part);
        }
        part.append("</row>");
    }
    if (cells.cellCount() != 0)
        part.append("</sheetData>");
    part.append(hyperlinksOf(sheet));
    part.append("<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                "header=\"0.3\" footer=\"0.3\"/></worksheet>");
}
