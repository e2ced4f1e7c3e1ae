#pragma once

#include "database/DatabaseEngine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class Dialogs;

// The user tables of the database, in the engine's order; nothing when the file is missing or
// cannot be read. A file that is no database is said so to the user.
std::optional<QStringList> ListWorkTables(const QString& path, const QString& password,
                                          Dialogs& dialogs);

// Drops every user table of the database in one transaction and gives the room back. Raises an
// error when the database cannot be opened or written; a table that cannot be dropped stays.
void ClearWorkDatabase(const QString& path, const QString& password, Dialogs& dialogs);

// The user tables of the database as a list, empty when there are none.
QStringList WorkTableNames(const QString& path, const QString& password, Dialogs& dialogs);

// A table read back: the field-name row, then the records, the values of each row kept apart
// so that a value holding the old field separator cannot shift the cells of its row.
struct TableRows {
    std::vector<QStringList> rows;
};

// Reads a whole table: the field names first, then every record. Raises an error when the
// database or the table cannot be read.
TableRows ReadTableRows(const QString& table, const QString& path, const QString& password);

// Reads a table as `ReadTableRows` does, one row at a time as the engine gives it, so that a
// table of any size passes through in little memory: `take` has the field names first, then
// every record's values, as UTF-8 ("" for Null) that hold only during the call.
void ReadTableRows(const QString& table, DatabaseConnection& connection,
                   const std::function<void(std::span<const std::string_view> fields)>& take);

// The connection through which the work database's tables are read.
DatabaseConnection openWorkDatabase(const QString& path, const QString& password);
