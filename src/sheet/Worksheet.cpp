#include "sheet/Worksheet.h"

#include "base/RuntimeError.h"
#include "sheet/CellAddress.h"
#include "sheet/CellValue.h"
#include "sheet/ColumnWidths.h"
#include "sheet/NumberFormats.h"

#include <algorithm>

namespace {
[[noreturn, gnu::cold, gnu::noinline]] void throwOutside(int row, int column) {
    if (row < 1 || row > kMaxRows)
        throw RuntimeError(QStringLiteral("Row %1 is outside the sheet: a sheet holds rows 1 to "
                                          "1,048,576")
                               .arg(row));
    throw RuntimeError(QStringLiteral("Column %1 is outside the sheet: a sheet holds "
                                      "columns 1 to 16,384")
                           .arg(column));
}

// Checked for every cell stored, so the check itself stays small enough to be inlined.
inline void checkLimits(int row, int column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) [[unlikely]]
        throwOutside(row, column);
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

namespace {
// Pages grow from a small first one, so that a sheet of a few cells takes a few hundred bytes,
// to a size that the widest row fits several times. Rows are never split across pages.
constexpr std::uint32_t kFirstPageCells = 64;
constexpr std::uint32_t kLargestPageCells = 1u << 16;
static_assert(kLargestPageCells >= 4 * kMaxColumns);
} // namespace

CellStore::Data::Data(const Data& other)
    : texts(other.texts), rows(other.rows), firstPageCells(other.firstPageCells),
      cellCount(other.cellCount) {
    // Only the cells rows use are copied, side by side: room that rows left behind stays behind.
    for (Row& row : rows) {
        const Cell* cells = other.cellsOf(row);
        const std::uint32_t count = row.count;
        row = allocate(count);
        row.count = count;
        std::copy_n(cells, count, cellsOf(row));
    }
}

CellStore::Row CellStore::Data::allocate(std::uint32_t capacity) {
    if (pages.empty() || pageUsed + capacity > pageSizes.back()) {
        const std::uint32_t next = pages.empty()
                                       ? std::max(kFirstPageCells, firstPageCells)
                                       : std::min(pageSizes.back() * 2, kLargestPageCells);
        pageSizes.push_back(std::max(next, capacity));
        // Cells are made empty as rows come to use them, not all at once here.
        pages.push_back(std::make_unique_for_overwrite<Cell[]>(pageSizes.back()));
        pageUsed = 0;
    }
    Row row{static_cast<std::uint32_t>(pages.size() - 1), pageUsed, 0, capacity};
    pageUsed += capacity;
    return row;
}

CellStore::CellStore() : m_data(std::make_shared<Data>()) {}

void CellStore::reserve(int rows, std::int64_t cells, std::int64_t textBytes) {
    Data& data = own();
    data.rows.reserve(static_cast<size_t>(std::clamp(rows, 0, kMaxRows)));
    if (data.pages.empty())
        data.firstPageCells = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(cells, kFirstPageCells, kLargestPageCells));
    // Texts repeat: element paths above all, so far fewer are distinct than there are cells.
    data.texts.reserve(static_cast<size_t>(std::clamp<std::int64_t>(cells / 4, 0, 1 << 24)),
                       static_cast<size_t>(std::max<std::int64_t>(textBytes / 2, 0)));
}

void CellStore::copyShared() {
    m_data = std::make_shared<Data>(*m_data);
}

void CellStore::widen(Data& data, Row& row, std::uint32_t columns) {
    if (columns > row.capacity) {
        const bool lastOnPage = !data.pages.empty() && row.page == data.pages.size() - 1 &&
                                row.offset + row.capacity == data.pageUsed;
        if (lastOnPage && row.offset + columns <= data.pageSizes.back()) {
            // Rows are mostly filled one after the other, so the row being filled grows in place.
            data.pageUsed = row.offset + columns;
            row.capacity = columns;
        } else {
            const Row moved = data.allocate(
                std::max(columns, std::min(row.capacity * 2, std::uint32_t{kMaxColumns})));
            std::copy_n(data.cellsOf(row), row.count, data.cellsOf(moved));
            row = Row{moved.page, moved.offset, row.count, moved.capacity};
        }
    }
    std::fill(data.cellsOf(row) + row.count, data.cellsOf(row) + columns, Cell());
    row.count = columns;
}

Cell& CellStore::slot(int row, int column) {
    checkLimits(row, column);
    ++m_revision;
    Data& data = own();
    if (static_cast<int>(data.rows.size()) < row)
        data.rows.resize(static_cast<size_t>(row));
    Row& stored = data.rows[static_cast<size_t>(row - 1)];
    const auto columns = static_cast<std::uint32_t>(column);
    // A row is mostly filled one cell after the other, into room it has or, being the last on
    // its page, takes from the page.
    if (stored.count + 1 == columns &&
        (columns <= stored.capacity ||
         (!data.pages.empty() && stored.page == data.pages.size() - 1 &&
          stored.offset + stored.capacity == data.pageUsed &&
          stored.offset + columns <= data.pageSizes.back()))) {
        if (columns > stored.capacity) {
            data.pageUsed = stored.offset + columns;
            stored.capacity = columns;
        }
        Cell& added = data.cellsOf(stored)[stored.count];
        added = Cell();
        stored.count = columns;
        return added;
    }
    if (stored.count < columns)
        widen(data, stored, columns);
    return data.cellsOf(stored)[column - 1];
}

qint64 CellStore::setText(int row, int column, std::string_view text) {
    if (text.empty()) {
        // Clearing a cell that holds nothing changes nothing, and copies no shared cells.
        if (cell(row, column)) {
            Cell& cell = slot(row, column);
            if (cell.kind != Cell::Kind::Empty)
                --m_data->cellCount;
            cell = Cell();
        } else {
            checkLimits(row, column);
        }
        return 0;
    }
    // Most texts are far shorter than a cell holds, and need no counting.
    const CellText fitting = text.size() <= static_cast<size_t>(kMaxCellCharacters)
                                 ? CellText{text, 0}
                                 : fitIntoCell(text);
    Cell value{};
    // Only a digit or a minus sign begins a number or a date; most texts are element paths and
    // words, and are known for texts at once.
    const bool mayBeValue = (text[0] >= '0' && text[0] <= '9') || text[0] == '-';
    std::optional<LosslessNumber> number;
    std::optional<LosslessDate> date;
    if (mayBeValue && (number = losslessNumber(text))) {
        value.kind = Cell::Kind::Number;
        value.number = number->value;
        value.decimals = static_cast<std::uint8_t>(number->decimals);
    } else if (mayBeValue && (date = losslessDate(text))) {
        value.kind = Cell::Kind::Date;
        value.number = date->serial;
        value.decimals = static_cast<std::uint8_t>(date->decimals);
        value.dateForm = date->form;
    } else {
        // The text is kept before the cell changes: should that fail, the cell is as it was.
        checkLimits(row, column);
        own();
        value.kind = Cell::Kind::Text;
        value.text = m_data->texts.intern(fitting.kept);
    }
    Cell& cell = slot(row, column);
    if (cell.kind == Cell::Kind::Empty)
        ++m_data->cellCount;
    cell = value;
    return fitting.charactersCut;
}

void CellStore::turnIntoText(int row, int column) {
    const Cell* found = cell(row, column);
    if (!found || found->kind == Cell::Kind::Text)
        return;
    const std::string shown = shownValue(*found);
    own();
    const std::uint32_t text = m_data->texts.intern(shown);
    Cell& turned = slot(row, column);
    turned = Cell();
    turned.kind = Cell::Kind::Text;
    turned.text = text;
}

const Cell* CellStore::cell(int row, int column) const {
    if (row < 1 || row > storedRowCount() || column < 1 || column > storedColumnCount(row))
        return nullptr;
    const Cell& found = this->row(row)[static_cast<size_t>(column - 1)];
    return found.kind == Cell::Kind::Empty ? nullptr : &found;
}

std::span<const Cell> CellStore::row(int row) const {
    if (row < 1 || row > storedRowCount())
        return {};
    const Row& stored = m_data->rows[static_cast<size_t>(row - 1)];
    if (stored.count == 0)
        return {};
    return {m_data->cellsOf(stored), stored.count};
}

std::string CellStore::display(int row, int column) const {
    const Cell* found = cell(row, column);
    if (!found)
        return {};
    if (found->kind == Cell::Kind::Text)
        return std::string(textOf(*found));
    return shownValue(*found);
}

int CellStore::storedColumnCount(int row) const {
    if (row < 1 || row > storedRowCount())
        return 0;
    return static_cast<int>(m_data->rows[static_cast<size_t>(row - 1)].count);
}

std::pair<int, int> CellStore::usedColumns(int row) const {
    const std::span<const Cell> cells = this->row(row);
    int first = 0, last = 0;
    for (int column = 1; column <= static_cast<int>(cells.size()); ++column) {
        if (cells[static_cast<size_t>(column - 1)].kind == Cell::Kind::Empty)
            continue;
        if (!first)
            first = column;
        last = column;
    }
    return {first, last};
}

bool CellStore::covers(const CellRange& range) const {
    // What is stored bounds what is used, and is known row by row without reading the cells.
    bool beyond = range.lastRow < storedRowCount();
    for (int row = 1; row <= storedRowCount() && !beyond; ++row)
        beyond = storedColumnCount(row) > range.lastColumn;
    if (!beyond)
        return true;
    const CellRange used = usedRange();
    return used.isEmpty() || (range.lastRow >= used.lastRow && range.lastColumn >= used.lastColumn);
}

CellRange CellStore::usedRange() const {
    CellRange range;
    for (int row = 1; row <= storedRowCount(); ++row) {
        const auto [first, last] = usedColumns(row);
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

CellStore::Mark CellStore::mark() const {
    const Data& data = *m_data;
    return {&data,         data.rows.size(),  data.pages.size(),
            data.pageUsed, data.texts.mark(), data.cellCount};
}

void CellStore::goBackTo(const Mark& mark) {
    ++m_revision;
    const bool sameData = m_data.get() == mark.data;
    Data& data = own();
    if (data.rows.size() > mark.rows)
        data.rows.resize(mark.rows);
    data.rows.shrink_to_fit();
    data.cellCount = mark.cellCount;
    data.texts.goBackTo(mark.texts);
    // Rows that stay lie in the pages as they did at the mark, unless the cells were copied
    // since and laid out anew: then the later rows' room stays until the store is let go.
    if (sameData && &data == mark.data && data.pages.size() >= mark.pages) {
        data.pages.resize(mark.pages);
        data.pageSizes.resize(mark.pages);
        data.pageUsed = mark.pageUsed;
    }
}

CellStore CellStore::copy(const CellRange& range) const {
    CellStore block;
    if (range.isEmpty())
        return block;
    const bool wholeSheet = range.firstRow == 1 && range.firstColumn == 1 && covers(range);
    if (wholeSheet) {
        block.m_data = m_data;
        return block;
    }
    block.paste(*this, range, 1, 1);
    return block;
}

void CellStore::paste(const CellStore& block, int row, int column) {
    // A store pasted into itself reads from a copy, which shares the cells until they change.
    if (&block == this) {
        paste(CellStore(block), row, column);
        return;
    }
    if (block.cellCount() == 0)
        return;
    // A block placed from A1 of an empty store fits as it fits its own, and takes no walk
    // over its cells.
    if (row == 1 && column == 1 && cellCount() == 0) {
        ++m_revision;
        m_data = block.m_data;
        return;
    }
    const CellRange used = block.usedRange();
    checkLimits(row + used.lastRow - 1, column + used.lastColumn - 1);
    paste(block, CellRange{1, 1, used.lastRow, used.lastColumn}, row, column);
}

void CellStore::paste(const CellStore& source, const CellRange& range, int row, int column) {
    // Each distinct text of the source is looked up here once, however many cells hold it.
    std::vector<std::uint32_t> textNumbers(source.texts().size(), kNoText);
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const std::span<const Cell> cells = source.row(r);
        const int last = std::min(range.lastColumn, static_cast<int>(cells.size()));
        for (int c = range.firstColumn; c <= last; ++c) {
            const Cell& from = cells[static_cast<size_t>(c - 1)];
            if (from.kind == Cell::Kind::Empty)
                continue;
            Cell& to = slot(row + r - range.firstRow, column + c - range.firstColumn);
            if (to.kind == Cell::Kind::Empty)
                ++m_data->cellCount;
            to = from;
            if (from.kind == Cell::Kind::Text) {
                std::uint32_t& number = textNumbers[from.text];
                if (number == kNoText)
                    number = m_data->texts.intern(source.textOf(from));
                to.text = number;
            }
        }
    }
}

void Worksheet::selectRange(const QString& reference) {
    const std::optional<CellAddress> cell = parseCellAddress(reference);
    if (!cell || !cell->sheet.isEmpty())
        throw RuntimeError(QStringLiteral("Not a cell reference: ") + reference);
    m_activeRow = cell->row;
    m_activeColumn = cell->column;
}

namespace {
bool before(const SheetLink& link, std::pair<int, int> cell) {
    return std::pair(link.row, link.column) < cell;
}
} // namespace

void Worksheet::addLink(int row, int column, const QString& targetSheet, int targetRow,
                        int targetColumn) {
    checkLimits(row, column);
    checkLimits(targetRow, targetColumn);
    SheetLink link{row, column, targetSheet, targetRow, targetColumn};
    ++m_linksRevision;
    // A summary adds its links row by row: each goes at the end.
    if (m_links.empty() || before(m_links.back(), {row, column})) {
        m_links.push_back(std::move(link));
        return;
    }
    const auto at =
        std::lower_bound(m_links.begin(), m_links.end(), std::pair(row, column), before);
    if (at != m_links.end() && at->row == row && at->column == column)
        *at = std::move(link);
    else
        m_links.insert(at, std::move(link));
}

const SheetLink* Worksheet::linkAt(int row, int column) const {
    const auto at =
        std::lower_bound(m_links.begin(), m_links.end(), std::pair(row, column), before);
    return at != m_links.end() && at->row == row && at->column == column ? &*at : nullptr;
}

void Worksheet::setTopRowFrozen(bool frozen) {
    if (frozen == m_topRowFrozen)
        return;
    m_topRowFrozen = frozen;
    ++m_viewRevision;
}

void Worksheet::setColumnWidth(int column, double width) {
    checkLimits(1, column);
    // Also a width that is no number at all.
    if (!(width >= kMinColumnWidth))
        width = kMinColumnWidth;
    width = std::min(width, kMaxColumnWidth);
    const auto [at, added] = m_widthsSetByHand.try_emplace(column, width);
    if (!added && at->second == width)
        return;
    at->second = width;
    ++m_viewRevision;
}

QString cellReference(int row, int column) {
    QString letters;
    for (int rest = column; rest > 0; rest = (rest - 1) / 26)
        letters.prepend(QChar('A' + (rest - 1) % 26));
    return letters + QString::number(row);
}
