#pragma once

#include "database/DatabaseFile.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Stores rows into one table through one prepared statement: every value bound by place, then
// the row stored. Bound texts must live until the row is stored.
class TableRowInsert {
public:
    // Into all `columnCount` columns of the table, in their order.
    TableRowInsert(DatabaseFile& database, const QString& quotedTable, qsizetype columnCount);
    // Into the named columns, in the order given.
    TableRowInsert(DatabaseFile& database, const QString& quotedTable,
                   const QStringList& quotedColumns);

    void bind(size_t place, std::optional<std::string_view> value);
    void bind(size_t place, std::string_view text);
    void bind(size_t place, std::int64_t number);
    void bindNull(size_t place);
    // Stores the row bound; raises the engine's error when it cannot.
    void store();

private:
    void checked(int code);

    DatabaseFile& m_database;
    Statement m_statement;
};
