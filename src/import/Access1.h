#pragma once

#include "database/DatabaseEngine.h"

#include <QString>
#include <QStringList>

#include <optional>
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
// The same through a connection already open, as a run that reads many tables does.
TableRows ReadTableRows(const QString& table, DatabaseConnection& connection);

// The connection through which the work database's tables are read.
DatabaseConnection openWorkDatabase(const QString& path, const QString& password);

// The fallback for a Null value, the value itself otherwise.
QString NullToDefault(const FieldValue& value, const QString& fallback);
