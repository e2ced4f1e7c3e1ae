#pragma once

#include <QFile>
#include <QString>

#include <sqlite3.h>

// Makes a database file for a test and runs statements on it directly.
inline void runSql(const QString& path, const char* statements) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    char* error = nullptr;
    if (sqlite3_exec(db, statements, nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("fixture SQL failed: %s", error);
    sqlite3_close(db);
}
