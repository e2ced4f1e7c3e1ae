#include "database/DatabaseEngine.h"

#include "base/RuntimeError.h"

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
        tables.push_back({name, system ? std::numeric_limits<qint32>::min() : 0});
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

Recordset::Recordset(const QString& query, DatabaseConnection& connection) {
    const Statement statement = connection.file().prepare(query);
    sqlite3_stmt* prepared = statement.get();
    const int columns = sqlite3_column_count(prepared);
    for (int i = 0; i < columns; ++i)
        m_names.push_back(QString::fromUtf8(sqlite3_column_name(prepared, i)));
    int code = SQLITE_OK;
    while ((code = sqlite3_step(prepared)) == SQLITE_ROW) {
        std::vector<FieldValue> row;
        row.reserve(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(prepared, i) == SQLITE_NULL) {
                row.emplace_back(std::nullopt);
                continue;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(prepared, i));
            row.emplace_back(QString::fromUtf8(text, sqlite3_column_bytes(prepared, i)));
        }
        m_rows.push_back(std::move(row));
    }
    if (code != SQLITE_DONE)
        connection.file().raise(code, QStringLiteral("read a table"));
}

const FieldValue& Recordset::value(int position) const {
    if (atEnd())
        throw RuntimeError(QStringLiteral("Either BOF or EOF is True, or the current record has "
                                          "been deleted."));
    return m_rows[m_current][static_cast<size_t>(position)];
}
