#include "database/RunTableRecord.h"

#include "database/DatabaseFile.h"

#include <QHash>

#include <sqlite3.h>

namespace {
const QString kRecord = QStringLiteral("brindlequay run tables");

QString textOf(const Statement& statement, int column) {
    return QString::fromUtf8(
        reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)));
}

// Every row of a query of two columns, the first a key; raises the engine's error.
QHash<QString, QString> pairsOf(DatabaseFile& database, const QString& query) {
    const Statement statement = database.prepare(query);
    QHash<QString, QString> pairs;
    int code = SQLITE_OK;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW)
        pairs.insert(textOf(statement, 0), textOf(statement, 1));
    if (code != SQLITE_DONE)
        database.raise(code, QStringLiteral("read its tables"));
    return pairs;
}

// The statement that made each table as it now stands: the engine rewrites it whenever the
// table is altered, renamed or made anew. Read in one pass, as the schema has no index by name.
QHash<QString, QString> definitionsOf(DatabaseFile& database) {
    return pairsOf(database,
                   QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'table'"));
}
} // namespace

bool isRunTableRecord(const QString& table) {
    // The engine compares names without regard to the case of ASCII letters.
    return table.compare(kRecord, Qt::CaseInsensitive) == 0;
}

void dropRecordedRunTables(DatabaseFile& database) {
    bool recorded = false;
    for (const QString& table : database.tableNames())
        recorded = recorded || isRunTableRecord(table);
    if (!recorded)
        return;
    const QHash<QString, QString> runs = pairsOf(
        database, QStringLiteral("SELECT name, definition FROM %1").arg(quotedIdentifier(kRecord)));
    const QHash<QString, QString> now = definitionsOf(database);
    for (auto run = runs.begin(); run != runs.end(); ++run) {
        const auto table = now.find(run.key());
        if (table != now.end() && table.value() == run.value())
            database.execute(QStringLiteral("DROP TABLE %1").arg(quotedIdentifier(run.key())));
    }
    database.execute(QStringLiteral("DELETE FROM %1").arg(quotedIdentifier(kRecord)));
}

void recordRunTables(DatabaseFile& database, const QStringList& made) {
    if (made.isEmpty())
        return;
    database.execute(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (name TEXT NOT NULL, definition TEXT)")
            .arg(quotedIdentifier(kRecord)));
    const QHash<QString, QString> definitions = definitionsOf(database);
    const Statement add =
        database.prepare(QStringLiteral("INSERT INTO %1 (name, definition) VALUES (?1, ?2)")
                             .arg(quotedIdentifier(kRecord)));
    for (const QString& table : made) {
        const QByteArray name = table.toUtf8();
        const QByteArray definition = definitions.value(table).toUtf8();
        sqlite3_reset(add.get());
        sqlite3_bind_text(add.get(), 1, name.constData(), static_cast<int>(name.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(add.get(), 2, definition.constData(), static_cast<int>(definition.size()),
                          SQLITE_STATIC);
        const int code = sqlite3_step(add.get());
        if (code != SQLITE_DONE)
            database.raise(code, QStringLiteral("record the tables of the run"));
    }
}
