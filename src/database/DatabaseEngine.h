#pragma once

#include "database/DatabaseFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// A table as the engine lists it: its name and its flags (negative for the engine's own tables).
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

// The value of one field: none stands for Null.
using FieldValue = std::optional<QString>;

// Static, read-only rows of a query, all read when it is opened.
class Recordset {
public:
    Recordset(const QString& query, DatabaseConnection& connection);

    int fieldCount() const { return static_cast<int>(m_names.size()); }
    // The name of field `position`, from 0.
    const QString& fieldName(int position) const { return m_names[static_cast<size_t>(position)]; }
    // The value of field `position` of the current record.
    const FieldValue& value(int position) const;
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    void moveNext() { ++m_current; }
    bool atEnd() const { return m_current >= m_rows.size(); }

private:
    std::vector<QString> m_names;
    std::vector<std::vector<FieldValue>> m_rows;
    size_t m_current = 0;
};
