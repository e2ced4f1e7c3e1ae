#include "office/Worksheet.h"

#include "base/RuntimeError.h"
#include "office/CellValue.h"

#include <QRegularExpression>

namespace {
void checkLimits(int row, int column) {
    if (row < 1 || row > kMaxRows)
        throw RuntimeError(QStringLiteral("Row %1 is outside the sheet: a sheet holds rows 1 to "
                                          "1,048,576")
                               .arg(row));
    if (column < 1 || column > kMaxColumns)
        throw RuntimeError(QStringLiteral("Column %1 is outside the sheet: a sheet holds "
                                          "columns 1 to 16,384")
                               .arg(column));
}

// How many UTF-16 code units the character led by `byte` takes: a character beyond the basic
// plane takes a surrogate pair; a byte inside a character takes none.
int utf16Width(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if ((value & 0xC0) == 0x80)
        return 0;
    return value >= 0xF0 ? 2 : 1;
}
} // namespace

qint64 utf16Length(std::string_view text) {
    qint64 units = 0;
    for (char byte : text)
        units += utf16Width(byte);
    return units;
}

CellText fitIntoCell(std::string_view text) {
    // A text never has more characters than bytes, so only a long one needs counting.
    if (text.size() <= static_cast<size_t>(kMaxCellCharacters))
        return {text, 0};
    qint64 units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // A character is kept or cut whole, a surrogate pair with it.
        const int width = utf16Width(text[i]);
        if (units + width > kMaxCellCharacters)
            return {text.substr(0, i), utf16Length(text) - units};
        units += width;
    }
    return {text, 0};
}

Cell& CellStore::slot(int row, int column) {
    checkLimits(row, column);
    ++m_revision;
    if (static_cast<int>(m_rows.size()) < row)
        m_rows.resize(static_cast<size_t>(row));
    std::vector<Cell>& cells = m_rows[static_cast<size_t>(row - 1)];
    if (static_cast<int>(cells.size()) < column)
        cells.resize(static_cast<size_t>(column));
    return cells[static_cast<size_t>(column - 1)];
}

void CellStore::keepText(Cell& cell, std::string_view text) {
    cell.kind = Cell::Kind::Text;
    cell.textOffset = m_texts.size();
    cell.textLength = static_cast<std::uint32_t>(text.size());
    m_texts.append(text);
}

qint64 CellStore::setText(int row, int column, std::string_view text) {
    if (text.empty()) {
        if (row <= storedRowCount() && column <= storedColumnCount(row)) {
            Cell& cell = slot(row, column);
            if (cell.kind != Cell::Kind::Empty)
                --m_cellCount;
            cell = Cell();
        } else {
            checkLimits(row, column);
        }
        return 0;
    }
    const CellText fitting = fitIntoCell(text);
    Cell& cell = slot(row, column);
    if (cell.kind == Cell::Kind::Empty)
        ++m_cellCount;
    if (const std::optional<LosslessNumber> number = losslessNumber(text)) {
        cell.kind = Cell::Kind::Number;
        cell.number = number->value;
        cell.decimals = static_cast<std::uint8_t>(number->decimals);
        cell.textLength = 0;
    } else {
        keepText(cell, fitting.kept);
    }
    return fitting.charactersCut;
}

void CellStore::setCell(int row, int column, const Cell& source, std::string_view text) {
    if (source.kind == Cell::Kind::Empty)
        return;
    Cell& cell = slot(row, column);
    if (cell.kind == Cell::Kind::Empty)
        ++m_cellCount;
    cell = source;
    if (source.kind == Cell::Kind::Text)
        keepText(cell, text);
}

const Cell* CellStore::cell(int row, int column) const {
    if (row < 1 || row > storedRowCount() || column < 1 || column > storedColumnCount(row))
        return nullptr;
    const Cell& found = m_rows[static_cast<size_t>(row - 1)][static_cast<size_t>(column - 1)];
    return found.kind == Cell::Kind::Empty ? nullptr : &found;
}

std::string CellStore::display(int row, int column) const {
    const Cell* found = cell(row, column);
    if (!found)
        return {};
    if (found->kind == Cell::Kind::Number)
        return formatNumber(found->number, found->decimals);
    return std::string(textOf(*found));
}

int CellStore::storedColumnCount(int row) const {
    if (row < 1 || row > storedRowCount())
        return 0;
    return static_cast<int>(m_rows[static_cast<size_t>(row - 1)].size());
}

CellRange CellStore::usedRange() const {
    CellRange range;
    for (int row = 1; row <= storedRowCount(); ++row) {
        const std::vector<Cell>& cells = m_rows[static_cast<size_t>(row - 1)];
        int first = 0, last = 0;
        for (int column = 1; column <= static_cast<int>(cells.size()); ++column) {
            if (cells[static_cast<size_t>(column - 1)].kind == Cell::Kind::Empty)
                continue;
            if (!first)
                first = column;
            last = column;
        }
        if (!first)
            continue;
        if (range.isEmpty()) {
            range = {row, first, row, last};
            continue;
        }
        range.firstColumn = std::min(range.firstColumn, first);
        range.lastColumn = std::max(range.lastColumn, last);
        range.lastRow = row;
    }
    return range;
}

CellStore CellStore::copy(const CellRange& range) const {
    CellStore block;
    if (range.isEmpty())
        return block;
    block.m_rows.resize(static_cast<size_t>(range.rowCount()));
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
            const Cell* source = cell(row, column);
            if (source)
                block.setCell(row - range.firstRow + 1, column - range.firstColumn + 1, *source,
                              source->kind == Cell::Kind::Text ? textOf(*source)
                                                               : std::string_view());
        }
    }
    return block;
}

void CellStore::paste(const CellStore& block, int row, int column) {
    const CellRange used = block.usedRange();
    if (used.isEmpty())
        return;
    checkLimits(row + used.lastRow - 1, column + used.lastColumn - 1);
    for (int r = 1; r <= block.storedRowCount(); ++r) {
        for (int c = 1; c <= block.storedColumnCount(r); ++c) {
            const Cell* source = block.cell(r, c);
            if (source)
                setCell(row + r - 1, column + c - 1, *source,
                        source->kind == Cell::Kind::Text ? block.textOf(*source)
                                                         : std::string_view());
        }
    }
}

void Worksheet::selectRange(const QString& reference) {
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z]{1,3})([1-9][0-9]{0,6})$"));
    const QRegularExpressionMatch match = pattern.match(reference);
    if (!match.hasMatch())
        throw RuntimeError(QStringLiteral("Not a cell reference: ") + reference);
    int column = 0;
    for (QChar letter : match.captured(1).toUpper())
        column = column * 26 + (letter.unicode() - 'A' + 1);
    const int row = match.captured(2).toInt();
    checkLimits(row, column);
    m_activeRow = row;
    m_activeColumn = column;
}

QString cellReference(int row, int column) {
    QString letters;
    for (int rest = column; rest > 0; rest = (rest - 1) / 26)
        letters.prepend(QChar('A' + (rest - 1) % 26));
    return letters + QString::number(row);
}
