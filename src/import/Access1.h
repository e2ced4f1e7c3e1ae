#pragma once

#include "office/DatabaseEngine.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Dialogs;

// Written after every value of a row read from the work database.
inline const QString kFieldSeparator = QStringLiteral("|xxspearaeatorxx|");

// The user tables of the database, in the engine's order; nothing when the file is missing or
// cannot be read. A file that is no database is said so to the user.
std::optional<QStringList> ListWorkTables(const QString& path, const QString& password,
                                          Dialogs& dialogs);

// Drops every user table of the database in one transaction and gives the room back. Raises an
// error when the database cannot be opened or written; a table that cannot be dropped stays.
void ClearWorkDatabase(const QString& path, const QString& password, Dialogs& dialogs);

// The user tables of the database as a list, empty when there are none.
QStringList WorkTableNames(const QString& path, const QString& password, Dialogs& dialogs);

// A table read back: the field-name row and the records, each value followed by the field
// separator, and the same values kept apart, so a value holding the separator cannot shift
// the cells of its row.
struct TableRows {
    std::vector<QStringList> fields;

    // Row 0 the field names, then the records, every value followed by the separator.
    QStringList joined() const;
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
