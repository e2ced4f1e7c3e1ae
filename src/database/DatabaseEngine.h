#pragma once

#include "database/DatabaseFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The flag of a hidden table.
inline constexpr qint32 kHiddenTable = 1;

// A table as the engine lists it: its name and its flags (negative for the engine's own tables,
// kHiddenTable for the program's record of its runs' tables).
struct TableDefinition {
    QString name;
    qint32 attributes = 0;
};

// The database engine: lists the table definitions of a database file, in the engine's order.
// A password other than blanks is refused, as the work database takes none.
std::vector<TableDefinition> tableDefinitions(const QString& path, const QString& password);

// A connection to a database file, opened for writing; a password other than blanks is
// refused, as the work database takes none.
class DatabaseConnection {
public:
    DatabaseConnection(const QString& path, const QString& password);

    // Carries out one statement.
    void execute(const QString& statement);

    DatabaseFile& file() { return *m_file; }

private:
    std::unique_ptr<DatabaseFile> m_file;
};

// The records of a query read one at a time, as the engine gives them, so that a table of any
// size passes through in little memory.
class RecordCursor {
public:
    RecordCursor(const QString& query, DatabaseConnection& connection);

    int fieldCount() const { return static_cast<int>(m_names.size()); }
    // The name of field `position`, from 0, as UTF-8.
    const std::string& fieldName(int position) const {
        return m_names[static_cast<size_t>(position)];
    }
    // Steps to the next record: false after the last. Raises an error when the engine fails.
    bool next();
    // The value of field `position` of the current record as UTF-8, "" for Null; it holds until
    // the next step.
    std::string_view text(int position) const;

private:
    DatabaseConnection& m_connection;
    Statement m_statement;
    std::vector<std::string> m_names;
};

// Every record of a table, all of its fields in their order. The table's name is taken as it
// is: one that holds a grave accent cannot be read.
RecordCursor tableRecords(const QString& table, DatabaseConnection& connection);

// The values that one column of a table holds, each once, in no particular order; "" for Null.
QStringList distinctValues(const QString& table, const QString& column,
                           DatabaseConnection& connection);

// Drops the tables in one transaction and gives their room back to the file. A table the
// engine refuses to drop, as one whose name holds a grave accent, stays, to be listed again by
// the next run.
void dropTables(const QStringList& tables, DatabaseConnection& connection);
