#include "database/TableRowInsert.h"

#include <QStringList>

#include <sqlite3.h>

namespace {
QString placeholders(qsizetype count) {
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}
} // namespace

TableRowInsert::TableRowInsert(DatabaseFile& database, const QString& quotedTable,
                               qsizetype columnCount)
    : m_database(database),
      m_statement(database.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                       .arg(quotedTable, placeholders(columnCount)))) {}

TableRowInsert::TableRowInsert(DatabaseFile& database, const QString& quotedTable,
                               const QStringList& quotedColumns)
    : m_database(database),
      m_statement(database.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(quotedTable, quotedColumns.join(QStringLiteral(", ")),
                                            placeholders(quotedColumns.size())))) {}

void TableRowInsert::bind(size_t place, std::optional<std::string_view> value) {
    if (value)
        bind(place, *value);
    else
        bindNull(place);
}

void TableRowInsert::bind(size_t place, std::string_view text) {
    // A value longer than the engine takes is refused here, never stored as another value.
    checked(sqlite3_bind_text64(m_statement.get(), static_cast<int>(place) + 1, text.data(),
                                text.size(), SQLITE_STATIC, SQLITE_UTF8));
}

void TableRowInsert::bind(size_t place, std::int64_t number) {
    checked(sqlite3_bind_int64(m_statement.get(), static_cast<int>(place) + 1, number));
}

void TableRowInsert::bindNull(size_t place) {
    checked(sqlite3_bind_null(m_statement.get(), static_cast<int>(place) + 1));
}

void TableRowInsert::checked(int code) {
    if (code != SQLITE_OK)
        m_database.raise(code, QStringLiteral("store a value"));
}

void TableRowInsert::store() {
    const int code = sqlite3_step(m_statement.get());
    sqlite3_reset(m_statement.get());
    if (code != SQLITE_DONE)
        m_database.raise(code, QStringLiteral("store a row"));
}
