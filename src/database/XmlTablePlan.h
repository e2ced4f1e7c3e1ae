#pragma once

#include "base/RuntimeError.h"
#include "database/UniqueNames.h"
#include "xml/XmlReader.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

struct PlannedRow {
    // By column of the row's table; none for a value the record does not have.
    std::vector<std::optional<std::string>> values;
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
    std::map<std::string, size_t> columnByKey;
    UniqueNames columnNamesTaken;
    std::vector<PlannedRow> rows;

    // The column for `key`, added at the end with the name `wanted` when it is new.
    size_t column(const std::string& key, const std::string& wanted);
};

// The tables an XML file makes, in the order in which their first row appears; rows in document
// order, a record's row before the rows of the records inside it.
class FileTablePlan {
public:
    std::deque<PlannedTable>& tables() { return m_tables; }
    const std::deque<PlannedTable>& tables() const { return m_tables; }

    // The element path of path number `path`, names separated by "/". A path of more than
    // kMaxPathBytes keeps its last whole names after ".../" (no element name begins with ".").
    std::string pathText(std::uint32_t path) const;
    static constexpr size_t kMaxPathBytes = 1024;

    // Path numbers: a path is its last element's name below the path of its parent.
    std::uint32_t pathBelow(std::optional<std::uint32_t> parent, const std::string& name);

private:
    struct PathStep {
        std::optional<std::uint32_t> parent;
        std::string name;
    };

    std::deque<PlannedTable> m_tables;
    std::vector<PathStep> m_paths;
    std::map<std::pair<std::int64_t, std::string>, std::uint32_t> m_pathByStep;
};

// The name a table of records of `element` asks for: the element's name, with "_" in front of
// one that begins with "sqlite_", which the database engine keeps for itself.
std::string tableNameFor(const std::string& element);

// Reads an XML file and plans its tables, so that every value of the file lands in some table
// (the rules are told where the plan is written, in XmlTableImport.h); every row's path is
// recorded when `recordPaths` is set, otherwise every path is number 0. Raises an XmlFileError
// naming the file, the reason, the line and the position when the file is not well-formed.
FileTablePlan planXmlTables(const QString& xmlPath, bool recordPaths);
