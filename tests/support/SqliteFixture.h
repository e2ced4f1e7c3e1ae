#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <vector>

// Makes a database file for a test and runs statements on it directly.
inline void runSql(const QString& path, const char* statements) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    char* error = nullptr;
    if (sqlite3_exec(db, statements, nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("fixture SQL failed: %s", error);
    sqlite3_close(db);
}

// The column names of a table, then every row, as text ("" for Null).
inline std::vector<QStringList> tableRows(const QString& path, const QString& table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    const QByteArray query = ("SELECT * FROM \"" + table + "\"").toUtf8();
    if (sqlite3_prepare_v2(db, query.constData(), -1, &select, nullptr) != SQLITE_OK)
        qFatal("fixture cannot read %s: %s", qPrintable(table), sqlite3_errmsg(db));
    std::vector<QStringList> rows(1);
    for (int column = 0; column < sqlite3_column_count(select); ++column)
        rows[0] << QString::fromUtf8(sqlite3_column_name(select, column));
    while (sqlite3_step(select) == SQLITE_ROW) {
        QStringList& row = rows.emplace_back();
        for (int column = 0; column < rows[0].size(); ++column)
            row << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(select, column)));
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}
