#pragma once

#include "database/UniqueNames.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class DatabaseFile;
class MergedTableImport;

// The database application as the route through the work database drives it: it opens the
// database and imports XML files into new tables of it.
class DatabaseApplication {
public:
    // `mergeTables`: the records of every file of the session go to shared tables, each row
    // with its file, its number and its parent's; `foldTables`: folded by the kinds of element
    // of the session's files (see MergedTableImport).
    explicit DatabaseApplication(bool mergeTables = false, bool foldTables = true);
    ~DatabaseApplication();

    // The application has no window of its own; being shown changes nothing.
    void setVisible(bool) {}
    // Opens the database that imports go to; raises an error when it cannot. The tables that
    // earlier sessions made are dropped (see RunTableRecord), and are back when this session
    // keeps nothing.
    void OpenCurrentDatabase(const QString& path);
    // Reads a file's shape before any file is imported, so that merged tables take one shape
    // for every file of the session; does nothing for tables by file.
    void surveyXml(const QString& dataSource);
    // Imports one XML file into new tables of the open database.
    void ImportXml(const QString& dataSource);
    // The tables that the imports of this session made, in order.
    const QStringList& importedTables() const { return m_importedTables; }
    // Completes the tables, records them as the session's, and lets go of the database; what
    // was imported is kept only then. A session that imported no file leaves the database as
    // it was, the earlier sessions' tables included.
    void quit();

private:
    bool m_mergeTables;
    bool m_foldTables;
    // The session's transaction is gone, and with it every import of the session.
    bool m_sessionLost = false;
    std::unique_ptr<DatabaseFile> m_database;
    std::unique_ptr<MergedTableImport> m_merged;
    // The names every table of the database takes, kept over the session's files.
    UniqueNames m_tableNames;
    QStringList m_importedTables;
    // The tables there were when the session began, after the earlier sessions' were dropped.
    QSet<QString> m_tablesBefore;
    int m_filesImported = 0;
};
