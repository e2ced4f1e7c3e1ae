#include "database/DatabaseFile.h"

#include "base/AccessRights.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <sqlite3.h>

DatabaseFile::DatabaseFile(const QString& path, bool readOnly) : m_path(path) {
    if (!QFileInfo(path).isFile())
        throw RuntimeError(QStringLiteral("Could not find file '%1'.").arg(path));
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    try {
        const int code = sqlite3_open_v2(libraryPath(path).constData(), &m_db, flags, nullptr);
        if (code != SQLITE_OK)
            raise(code, QStringLiteral("open"));
        sqlite3_busy_timeout(m_db, 2000);
        // The engine only learns that a file is no database when it first reads it.
        const int stepped =
            sqlite3_step(prepare(QStringLiteral("SELECT count(*) FROM sqlite_schema")).get());
        if (stepped != SQLITE_ROW)
            raise(stepped, QStringLiteral("read"));
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

DatabaseFile::~DatabaseFile() {
    sqlite3_close_v2(m_db);
}

void DatabaseFile::abandonSavepoint() {
    // Either may fail when the engine has rolled the whole transaction back already.
    sqlite3_exec(m_db, "ROLLBACK TO brindlequay_work", nullptr, nullptr, nullptr);
    sqlite3_exec(m_db, "RELEASE brindlequay_work", nullptr, nullptr, nullptr);
}

void DatabaseFile::raise(int code, const QString& doing) {
    // Told as every other want of memory is, so that the file it struck is named for it.
    if ((code & 0xFF) == SQLITE_NOMEM)
        throw std::bad_alloc();
    if (code == SQLITE_NOTADB)
        throw RuntimeError(QStringLiteral("Unrecognized database format '%1'.").arg(m_path),
                           kUnrecognizedDatabaseError);
    const char* message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    QString why = QString::fromUtf8(message);
    if ((code & 0xFF) == SQLITE_FULL)
        why = writeProblem(ENOSPC, m_path);
    throw RuntimeError(QStringLiteral("The database %1 could not %2: %3").arg(m_path, doing, why),
                       code);
}

Statement::~Statement() {
    sqlite3_finalize(m_prepared);
}

Statement DatabaseFile::prepare(const QString& statement) {
    const QByteArray text = statement.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    const char* rest = nullptr;
    const int code =
        sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &prepared, &rest);
    Statement held(prepared);
    if (code != SQLITE_OK)
        raise(code, QStringLiteral("prepare a statement"));
    if (rest && !QByteArray(rest).trimmed().isEmpty())
        throw RuntimeError(QStringLiteral("Characters found after end of SQL statement."));
    return held;
}

void DatabaseFile::execute(const QString& statement) {
    const int code = sqlite3_step(prepare(statement).get());
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        raise(code, QStringLiteral("carry out a statement"));
}

namespace {
QStringList schemaNames(DatabaseFile& database, const QString& query) {
    const Statement listing = database.prepare(query);
    QStringList names;
    int code = SQLITE_OK;
    while ((code = sqlite3_step(listing.get())) == SQLITE_ROW)
        names << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(listing.get(), 0)));
    if (code != SQLITE_DONE)
        database.raise(code, QStringLiteral("list its tables"));
    return names;
}
} // namespace

QStringList DatabaseFile::tableNames() {
    return schemaNames(
        *this,
        QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY rowid"));
}

QStringList DatabaseFile::namesTaken() {
    // A view or an index of the user's bars its name to a table as much as a table does.
    return schemaNames(*this, QStringLiteral("SELECT name FROM sqlite_schema WHERE type IN "
                                             "('table', 'view', 'index')"));
}

void makeEmptyDatabase(const QString& path) {
    QFile file(path);
    if (file.exists())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        !file.exists())
        throw RuntimeError(QStringLiteral("The work database %1 cannot be created: %2")
                               .arg(path, file.errorString()));
}

WorkDatabaseFitness workDatabaseFitness(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {QStringLiteral("it does not exist")};
    if (!info.isFile())
        return {QStringLiteral("it is not a file")};
    const auto readOnly = [] {
        return WorkDatabaseFitness{QStringLiteral("it cannot be written"), true};
    };
    // The journal goes beside the file, so a folder that cannot be written stops a file that
    // could be.
    if (mayWrite(path) && !mayWrite(info.absolutePath()))
        return {QStringLiteral("its folder %1 cannot be written").arg(info.absolutePath()), true};
    try {
        DatabaseFile file(path, false);
        // The engine opens a file it may not write for reading only, without a word.
        if (sqlite3_db_readonly(file.handle(), "main") == 1)
            return readOnly();
        // A change that is rolled back proves that the journal beside the file can be made.
        file.execute(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            file.execute(QStringLiteral("CREATE TABLE \"brindlequay write probe\" (x)"));
        } catch (...) {
            sqlite3_exec(file.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        file.execute(QStringLiteral("ROLLBACK"));
    } catch (const RuntimeError& error) {
        if (error.number() == kUnrecognizedDatabaseError)
            return {QStringLiteral("it is not a database")};
        if ((error.number() & 0xFF) == SQLITE_READONLY)
            return readOnly();
        return {error.description()};
    }
    return {};
}

QString quotedIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
