#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement, finalized when it goes, whatever path the caller leaves by.
class Statement {
public:
    explicit Statement(sqlite3_stmt* prepared) : m_prepared(prepared) {}
    ~Statement();
    Statement(Statement&& other) noexcept : m_prepared(std::exchange(other.m_prepared, nullptr)) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    sqlite3_stmt* get() const { return m_prepared; }

private:
    sqlite3_stmt* m_prepared;
};

// The number of the error raised for a file that is not a database.
inline constexpr int kUnrecognizedDatabaseError = 3343;

// One open database file. A missing file is never created, and a file that is not a database
// raises the error numbered kUnrecognizedDatabaseError.
class DatabaseFile {
public:
    DatabaseFile(const QString& path, bool readOnly);
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    // Prepares exactly one statement; more than one in the text is refused.
    Statement prepare(const QString& statement);
    // Runs one statement that gives no rows.
    void execute(const QString& statement);
    // Raises the error of the last call, in the words of the engine.
    [[noreturn]] void raise(int code, const QString& doing);

    // The names of the tables, in the engine's order, as this connection sees them.
    QStringList tableNames();

    // Undoes and ends the savepoint of insideSavepoint, whatever state the connection is in.
    void abandonSavepoint();

    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};

// Runs `work` inside a savepoint of `database`: when it raises, nothing it did is kept, also
// inside a longer transaction of the caller's.
template <typename Work> void insideSavepoint(DatabaseFile& database, Work&& work) {
    database.execute(QStringLiteral("SAVEPOINT brindlequay_work"));
    try {
        work();
        database.execute(QStringLiteral("RELEASE brindlequay_work"));
    } catch (...) {
        database.abandonSavepoint();
        throw;
    }
}

// Makes an empty database at `path`, and its folder, readable by its owner only (an empty file
// is an empty database to the engine). A file that is there already, made meanwhile by another
// run perhaps, is left as it is. Raises an error when there is no file at `path` afterwards.
void makeEmptyDatabase(const QString& path);

// Why the file at `path` cannot serve as a work database, "" when it can: it is missing or no
// regular file, no database, or the engine cannot write it (the file, or the folder where its
// journal goes). Nothing of the file is changed.
QString workDatabaseProblem(const QString& path);

// A table as the engine lists it: its name and its flags (negative for the engine's own tables).
struct TableDefinition {
    QString name;
    qint32 attributes = 0;
};

// The database engine: lists the table definitions of a database file, in the engine's order.
// A password other than blanks is refused, as the work database takes none.
std::vector<TableDefinition> tableDefinitions(const QString& path, const QString& password);

// A connection to a database file made from a connection text that names the file after
// "Data Source=" and a password after "Database Password=".
class DatabaseConnection {
public:
    explicit DatabaseConnection(const QString& connectionText);

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

// The text with every double quote doubled, inside double quotes: an identifier for a statement.
QString quotedIdentifier(const QString& name);
