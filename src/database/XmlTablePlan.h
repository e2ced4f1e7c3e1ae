#pragma once

#include "base/RuntimeError.h"
#include "database/XmlDocumentTree.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ElementKinds;

// Raised for a file that could not be read as XML; carries the reader's reason and place.
class XmlFileError : public RuntimeError {
public:
    XmlFileError(const QString& path, XmlError error);
    const XmlError& xmlError() const { return m_error; }

private:
    XmlError m_error;
};

// A column of a planned table: what it holds (`key`, for example "child:name"), the name the
// file's records ask for, and that name made unique within the file's table.
struct PlannedColumn {
    std::string key;
    std::string wanted;
    std::string name;
};

// Where a row stands in the plan of its file: its table and its place in that table.
struct RowPlace {
    std::uint32_t table = 0;
    std::uint32_t row = 0;
};

// A row as the plan hands it over; its texts live as long as the plan.
struct PlannedRow {
    RowPlace place;
    // By column of the row's table; none for a value the record does not have.
    std::vector<std::optional<std::string_view>> values;
    // The row of the nearest enclosing record that is a row itself; none at the top.
    std::optional<RowPlace> parent;
    // The element's path from the document element, by number (see FileTablePlan::pathText).
    std::uint32_t path = 0;
};

// One table of one file: records of one element name, or one repeated childless element.
struct PlannedTable {
    enum class Kind { Records, RepeatedValues };

    Kind kind = Kind::Records;
    // The element's name without its prefix.
    std::string element;
    std::vector<PlannedColumn> columns;
    // The tables whose rows enclose rows of this one, in the order in which they first do.
    std::vector<std::uint32_t> parentTables;
    std::uint32_t rowCount = 0;
};

// How wide the tables of a plan may grow: at most `maxColumns` columns, `keyColumns` of which
// every table takes before its values. A `maxColumns` of 0 lets them grow to any width.
struct TableWidth {
    size_t maxColumns = 0;
    size_t keyColumns = 0;
};

// The tables an XML file makes, in the order in which their first row appears, with their
// columns and how many rows each has. The rows themselves are not kept: the plan holds the
// document and hands the rows over one at a time, in document order, a record's row before the
// rows of the records inside it.
class FileTablePlan {
public:
    // Folds by the run's `kinds` when given (see MergedTableImport), otherwise plans by the
    // rules of XmlTableImport.h. Raises an error naming the table as soon as one would pass
    // `width`, before its further columns are made.
    FileTablePlan(const QString& path, XmlDocumentTree document, bool recordPaths,
                  const ElementKinds* kinds, TableWidth width = {});
    FileTablePlan(FileTablePlan&&) noexcept;
    FileTablePlan& operator=(FileTablePlan&&) noexcept;
    ~FileTablePlan();

    const std::deque<PlannedTable>& tables() const;

    // Hands every row to `take`, in the order above; a row is valid during its call only.
    void forEachRow(const std::function<void(const PlannedRow&)>& take);

    // The element path of path number `path`, names separated by "/". A path of more than
    // kMaxPathBytes keeps its last whole names after ".../" (no element name begins with ".").
    std::string pathText(std::uint32_t path) const;
    static constexpr size_t kMaxPathBytes = 1024;

private:
    class Planner;
    std::unique_ptr<Planner> m_planner;
};

// The name a table of records of `element` asks for: the element's name, with "_" in front of
// one that begins with "sqlite_", which the database engine keeps for itself.
std::string tableNameFor(const std::string& element);

// Reads an XML file and plans its tables, so that every value of the file lands in some table
// (the rules are told where the plan is written, in XmlTableImport.h); every row's path is
// recorded when `recordPaths` is set, otherwise every path is number 0. Raises an XmlFileError
// naming the file, the reason, the line and the position when the file is not well-formed.
// With `kinds`, folds what does not repeat and takes an element of a kind that mixes text with
// children as one value; the file must be among those the kinds surveyed, and one that has
// changed since fails with a RuntimeError. A folded column is named by its
// path, which keeps its last whole names after ".../" past kMaxPathBytes. A table that would
// pass `width` fails with a RuntimeError as soon as that is known.
FileTablePlan planXmlTables(const QString& xmlPath, bool recordPaths,
                            const ElementKinds* kinds = nullptr, TableWidth width = {});
