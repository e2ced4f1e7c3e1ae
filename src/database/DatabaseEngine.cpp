#include "database/DatabaseEngine.h"

#include "base/RuntimeError.h"
#include "database/RunTableRecord.h"

#include <limits>
#include <sqlite3.h>

std::vector<TableDefinition> tableDefinitions(const QString& path, const QString& password) {
    if (!password.trimmed().isEmpty())
        throw RuntimeError(QStringLiteral("Not a valid password."));
    DatabaseFile file(path, true);
    std::vector<TableDefinition> tables;
    for (const QString& name : file.tableNames()) {
        // The engine's own tables carry the system flag, the top bit.
        const bool system = name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
        // The record of the runs' tables is the program's: hidden, so never listed nor dropped
        // as a table of a run.
        const qint32 attributes = system                   ? std::numeric_limits<qint32>::min()
                                  : isRunTableRecord(name) ? kHiddenTable
                                                           : 0;
        tables.push_back({name, attributes});
    }
    return tables;
}

DatabaseConnection::DatabaseConnection(const QString& path, const QString& password) {
    if (!password.trimmed().isEmpty())
        throw RuntimeError(QStringLiteral("Not a valid password."));
    m_file = std::make_unique<DatabaseFile>(path, false);
}

void DatabaseConnection::execute(const QString& statement) {
    m_file->execute(statement);
}

RecordCursor::RecordCursor(const QString& query, DatabaseConnection& connection)
    : m_connection(connection), m_statement(connection.file().prepare(query)) {
    const int columns = sqlite3_column_count(m_statement.get());
    for (int i = 0; i < columns; ++i)
        m_names.emplace_back(sqlite3_column_name(m_statement.get(), i));
}

bool RecordCursor::next() {
    const int code = sqlite3_step(m_statement.get());
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        m_connection.file().raise(code, QStringLiteral("read a table"));
    return false;
}

std::string_view RecordCursor::text(int position) const {
    const auto* text =
        reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), position));
    if (!text)
        return {};
    return {text, static_cast<size_t>(sqlite3_column_bytes(m_statement.get(), position))};
}

namespace {
// The work tables' names stand between grave accents as they are, never escaped: a name that
// holds one makes a statement the engine refuses.
QString inGraveAccents(const QString& table) {
    return QLatin1Char('`') + table + QLatin1Char('`');
}
} // namespace

RecordCursor tableRecords(const QString& table, DatabaseConnection& connection) {
    return RecordCursor(QStringLiteral("SELECT * FROM ") + inGraveAccents(table), connection);
}

QStringList distinctValues(const QString& table, const QString& column,
                           DatabaseConnection& connection) {
    RecordCursor values(QStringLiteral("SELECT DISTINCT %1 FROM %2")
                            .arg(quotedIdentifier(column), quotedIdentifier(table)),
                        connection);
    QStringList found;
    while (values.next()) {
        const std::string_view value = values.text(0);
        found << QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
    }
    return found;
}

void dropTables(const QStringList& tables, DatabaseConnection& connection) {
    connection.execute(QStringLiteral("BEGIN"));
    for (const QString& table : tables) {
        try {
            connection.execute(QStringLiteral("DROP TABLE ") + inGraveAccents(table));
        } catch (...) {
        }
    }
    connection.execute(QStringLiteral("COMMIT"));
    connection.execute(QStringLiteral("VACUUM"));
}
