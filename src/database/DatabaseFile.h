#pragma once

#include <QString>
#include <QStringList>

#include <utility>

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
    // The names that a new table cannot take: those of the tables, views and indexes.
    QStringList namesTaken();

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

// Whether the file at `path` can serve as a work database. Nothing of the file is changed.
struct WorkDatabaseFitness {
    // Why it cannot, "" when it can: it is missing or no regular file, no database, or the
    // engine cannot write it (the file, or the folder where its journal goes).
    QString problem;
    // A database that is sound but only to be read, as an installed program's folder is.
    bool readOnly = false;
};
WorkDatabaseFitness workDatabaseFitness(const QString& path);

// The text with every double quote doubled, inside double quotes: an identifier for a statement.
QString quotedIdentifier(const QString& name);
