#pragma once

#include "sheet/CellValue.h"
#include "sheet/TextPool.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The most rows and columns a sheet may hold, as the saved format allows.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
// The most characters one cell may hold, counted in UTF-16 code units as the saved format does.
inline constexpr int kMaxCellCharacters = 32767;

// One cell, stored compactly: a number with its decimals, a date as its serial number with the
// form it was written in, or the number of a text in the sheet's pool. Twelve bytes, so that ten
// million cells take little more than a hundred megabytes. `Cell()` is the empty cell; a cell
// left uninitialised is never read.
#pragma pack(push, 4)
struct Cell {
    enum class Kind : std::uint8_t { Empty, Number, Text, Date };

    union {
        // A number's value, or a date's serial number.
        double number;
        std::uint32_t text;
    };
    Kind kind;
    // The decimals a number shows, or those of a date's seconds.
    std::uint8_t decimals;
    DateForm dateForm;
};
#pragma pack(pop)
static_assert(sizeof(Cell) == 12);

// What of a text a cell keeps, and how many characters (UTF-16 code units) it cut from the end.
struct CellText {
    std::string_view kept;
    qint64 charactersCut = 0;
};
// The longest start of a UTF-8 text that a cell holds; a character is never split.
CellText fitIntoCell(std::string_view text);
// The length of a UTF-8 text in UTF-16 code units, as a cell's limit counts it.
qint64 utf16Length(std::string_view text);

// A rectangle of cells, rows and columns from 1.
struct CellRange {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;

    bool isEmpty() const { return firstRow == 0; }
    int rowCount() const { return isEmpty() ? 0 : lastRow - firstRow + 1; }
    int columnCount() const { return isEmpty() ? 0 : lastColumn - firstColumn + 1; }
};

// The cells of one sheet, row by row; only rows and columns up to the last used ones take room.
// A copy shares the cells of its original until either changes, so copying a sheet's whole
// block and pasting it into an empty sheet costs nothing however large the block is.
class CellStore {
public:
    CellStore();

    // Stores a text as a cell takes it: a number or a date when reading it as one loses nothing,
    // the exact text otherwise, and nothing for "". A text longer than a cell holds keeps its
    // first characters; gives how many were cut (0 when it fit). Raises an error outside the
    // sheet.
    qint64 setText(int row, int column, std::string_view text);
    // Makes a number or date cell a text cell that holds what it showed, as when its column
    // turns out to hold texts too; leaves any other cell as it is.
    void turnIntoText(int row, int column);

    // Makes room at once for about `rows` rows, `cells` cells and texts of `textBytes` bytes in
    // all, for a sheet whose size is known before it is filled.
    void reserve(int rows, std::int64_t cells, std::int64_t textBytes);

    const Cell* cell(int row, int column) const;
    // The text of a text cell.
    std::string_view textOf(const Cell& cell) const { return m_data->texts.text(cell.text); }
    // The distinct texts of the sheet, which text cells name by number.
    const TextPool& texts() const { return m_data->texts; }
    // What the cell shows: the text, the number with its decimals or the date as it was
    // written; "" for an empty cell.
    std::string display(int row, int column) const;

    // The rows that hold anything, from 1; rows below the last are not stored.
    int storedRowCount() const { return static_cast<int>(m_data->rows.size()); }
    int storedColumnCount(int row) const;
    // The stored cells of a row from column 1, empty ones among them; none for an unstored row.
    std::span<const Cell> row(int row) const;
    // The first and last non-empty columns of a row; {0, 0} for a row without cells.
    std::pair<int, int> usedColumns(int row) const;
    // The bounding box of the non-empty cells; empty when there are none.
    CellRange usedRange() const;
    // Whether the rows and columns up to the last of `range` hold every non-empty cell.
    bool covers(const CellRange& range) const;
    // The number of non-empty cells.
    std::int64_t cellCount() const { return m_data->cellCount; }
    // Grows with every change, so that a saved state can be recognised.
    std::uint64_t revision() const { return m_revision; }

    // How far the store had come, for `goBackTo`.
    struct Mark {
        const void* data = nullptr;
        std::size_t rows = 0;
        std::size_t pages = 0;
        std::uint32_t pageUsed = 0;
        TextPool::Mark texts;
        std::int64_t cellCount = 0;
    };
    Mark mark() const;
    // Takes out every row after the mark's last, with the texts kept since, and gives back the
    // memory they took, as when rows written after the mark are to be undone; the rows up to
    // the mark must not have changed since.
    void goBackTo(const Mark& mark);

    // A copy of the cells of `range`, placed from A1.
    CellStore copy(const CellRange& range) const;
    // Places every cell of `block` with its A1 at (row, column).
    void paste(const CellStore& block, int row, int column);

private:
    // Where a row's cells lie in the pages: a row's cells are side by side in one page.
    struct Row {
        std::uint32_t page = 0;
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
        std::uint32_t capacity = 0;
    };
    struct Data {
        Data() = default;
        Data(const Data& other);
        Data& operator=(const Data&) = delete;

        Cell* cellsOf(const Row& row) { return pages[row.page].get() + row.offset; }
        const Cell* cellsOf(const Row& row) const { return pages[row.page].get() + row.offset; }
        // Room for `capacity` cells at the end of the last page, on a new page when it is full.
        Row allocate(std::uint32_t capacity);

        TextPool texts;
        std::vector<Row> rows;
        std::vector<std::unique_ptr<Cell[]>> pages;
        std::vector<std::uint32_t> pageSizes;
        std::uint32_t pageUsed = 0;
        std::uint32_t firstPageCells = 0;
        std::int64_t cellCount = 0;
    };

    static constexpr std::uint32_t kNoText = UINT32_MAX;

    Cell& slot(int row, int column);
    // The cells to change, copied first when a copy shares them.
    Data& own() {
        if (m_data.use_count() > 1) [[unlikely]]
            copyShared();
        return *m_data;
    }
    void copyShared();
    // Places the cells of `range` of `source` with the range's top left at (row, column).
    void paste(const CellStore& source, const CellRange& range, int row, int column);
    void widen(Data& data, Row& row, std::uint32_t columns);

    std::shared_ptr<Data> m_data;
    std::uint64_t m_revision = 0;
};

// A cell's link to a place in the workbook: the target sheet by its name, as spreadsheet files
// name it, so that a link to a sheet renamed or deleted since leads nowhere rather than to
// another sheet.
struct SheetLink {
    int row;
    int column;
    QString sheet;
    int targetRow = 1;
    int targetColumn = 1;
};

// One sheet of a workbook: its name, its cells, its links and its active cell.
class Worksheet {
public:
    explicit Worksheet(QString name)
        : m_name(std::move(name)), m_foldedName(m_name.toCaseFolded()) {}

    const QString& name() const { return m_name; }
    // The name as names are compared, without regard to letter case.
    const QString& foldedName() const { return m_foldedName; }
    // Sets the name without checking it; the workbook checks names.
    void setNameUnchecked(const QString& name) {
        m_name = name;
        m_foldedName = name.toCaseFolded();
    }

    CellStore& cells() { return m_cells; }
    const CellStore& cells() const { return m_cells; }

    // Links the cell to a place in the workbook, in place of a link it had; the cell's text is
    // set apart. Raises an error for a cell or target outside a sheet.
    void addLink(int row, int column, const QString& targetSheet, int targetRow = 1,
                 int targetColumn = 1);
    // The links in the order of their cells, row by row.
    const std::vector<SheetLink>& links() const { return m_links; }
    // The link of a cell, or none.
    const SheetLink* linkAt(int row, int column) const;
    // Grows with every change of the cells or the links.
    std::uint64_t revision() const { return m_cells.revision() + m_linksRevision; }

    // The full sheet whose rows this one carries on, and its place among that sheet's
    // continuations (2 for the first, as its name says); none and 0 for an ordinary sheet.
    const Worksheet* continues() const { return m_continues; }
    int continuationNumber() const { return m_continuationNumber; }
    void setContinues(const Worksheet* full, int number) {
        m_continues = full;
        m_continuationNumber = number;
    }

    // The active cell, from which a paste places its block.
    int activeRow() const { return m_activeRow; }
    int activeColumn() const { return m_activeColumn; }
    // Selects one cell given as a reference such as "A1" or "C12"; raises an error for another.
    void selectRange(const QString& reference);

    // Whether row 1 stays in view while the rest scrolls, in the window and in the saved file.
    bool isTopRowFrozen() const { return m_topRowFrozen; }
    void setTopRowFrozen(bool frozen);
    // The widths the user gave columns by hand, by column from 1, in digit widths
    // (sheet/ColumnWidths.h); every other column is fitted to what its first rows show.
    const std::map<int, double>& widthsSetByHand() const { return m_widthsSetByHand; }
    // Keeps a column's width, within what spreadsheet applications allow.
    void setColumnWidth(int column, double width);
    // Grows with every change of how the sheet is viewed, which a saved file keeps too.
    std::uint64_t viewRevision() const { return m_viewRevision; }

    // Whether a saved file holds this sheet's texts in its cells rather than in the workbook's
    // shared list. A small sheet standing before large ones then leaves their texts the short
    // numbers from 0 that they have without it, and the list needs no look-ups of texts.
    bool keepsTextsInCells() const { return m_textsInCells; }
    void setKeepsTextsInCells(bool inCells) { m_textsInCells = inCells; }

private:
    QString m_name;
    QString m_foldedName;
    CellStore m_cells;
    // Kept in the order of their cells, so that a cell's link is found by halving and a writer
    // meets them as it meets the rows.
    std::vector<SheetLink> m_links;
    std::uint64_t m_linksRevision = 0;
    const Worksheet* m_continues = nullptr;
    int m_continuationNumber = 0;
    int m_activeRow = 1;
    int m_activeColumn = 1;
    bool m_topRowFrozen = false;
    std::map<int, double> m_widthsSetByHand;
    std::uint64_t m_viewRevision = 0;
    bool m_textsInCells = false;
};

// The reference of a cell such as "B7".
QString cellReference(int row, int column);

// The most cells one report names; a sheet of thousands would otherwise flood the message.
inline constexpr int kCellsNamedInAReport = 20;
