#include "database/DatabaseApplication.h"

#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "database/MergedTableImport.h"
#include "database/RunTableRecord.h"
#include "database/XmlTableImport.h"

#include <sqlite3.h>

DatabaseApplication::DatabaseApplication(bool mergeTables, bool foldTables)
    : m_mergeTables(mergeTables), m_foldTables(foldTables) {}
// Without a quit, what was imported is not kept: the open transaction is abandoned.
DatabaseApplication::~DatabaseApplication() = default;

void DatabaseApplication::OpenCurrentDatabase(const QString& path) {
    // Nothing is open until all of it is: imports into a session half opened would follow
    // none of its rules.
    m_merged.reset();
    m_database.reset();
    auto database = std::make_unique<DatabaseFile>(path, false);
    // Every import of the session goes into one transaction, written to disk once at the end.
    database->execute(QStringLiteral("BEGIN"));
    dropRecordedRunTables(*database);
    const QStringList tables = database->tableNames();
    m_tablesBefore = QSet<QString>(tables.begin(), tables.end());
    m_filesImported = 0;
    m_sessionLost = false;
    m_importedTables.clear();
    if (m_mergeTables) {
        m_merged = std::make_unique<MergedTableImport>(*database, m_foldTables);
    } else {
        m_tableNames = UniqueNames();
        for (const QString& existing : database->namesTaken())
            m_tableNames.take(existing.toStdString());
    }
    m_database = std::move(database);
}

void DatabaseApplication::surveyXml(const QString& dataSource) {
    if (m_merged)
        m_merged->survey(dataSource);
}

void DatabaseApplication::ImportXml(const QString& dataSource) {
    if (!m_database)
        throw RuntimeError(QStringLiteral("There is no current database to import into."));
    if (m_sessionLost)
        throw RuntimeError(QStringLiteral("The file %1 was not imported: the work database undid "
                                          "this run's imports after an earlier failure.")
                               .arg(dataSource));
    try {
        m_importedTables << (m_merged ? m_merged->importFile(dataSource)
                                      : importXmlIntoTables(*m_database, dataSource, m_tableNames));
        ++m_filesImported;
    } catch (...) {
        // The engine may answer a full disk by undoing the whole transaction: later files
        // would then be written outside it, beside tables that are gone.
        m_sessionLost = sqlite3_get_autocommit(m_database->handle()) != 0;
        throw;
    }
}

void DatabaseApplication::quit() {
    if (m_sessionLost) {
        m_merged.reset();
        m_database.reset();
        throw RuntimeError(QStringLiteral("The work database undid this run's imports after a "
                                          "failure; nothing was imported."));
    }
    if (m_database && m_filesImported == 0) {
        m_database->execute(QStringLiteral("ROLLBACK"));
    } else if (m_database) {
        if (m_merged)
            m_merged->finish();
        // Whatever the session made, tables rebuilt at the end included.
        QStringList made;
        for (const QString& table : m_database->tableNames())
            if (!m_tablesBefore.contains(table) && !isRunTableRecord(table))
                made << table;
        recordRunTables(*m_database, made);
        m_database->execute(QStringLiteral("COMMIT"));
    }
    m_merged.reset();
    m_database.reset();
}
