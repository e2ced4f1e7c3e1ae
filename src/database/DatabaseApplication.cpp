#include "database/DatabaseApplication.h"

#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "database/MergedTableImport.h"
#include "database/XmlTableImport.h"

#include <sqlite3.h>

DatabaseApplication::DatabaseApplication(bool mergeTables, bool foldTables)
    : m_mergeTables(mergeTables), m_foldTables(foldTables) {}
// Without a quit, what was imported is not kept: the open transaction is abandoned.
DatabaseApplication::~DatabaseApplication() = default;

void DatabaseApplication::OpenCurrentDatabase(const QString& path) {
    m_database = std::make_unique<DatabaseFile>(path, false);
    // Every import of the session goes into one transaction, written to disk once at the end.
    m_database->execute(QStringLiteral("BEGIN"));
    if (m_mergeTables) {
        m_merged = std::make_unique<MergedTableImport>(*m_database, m_foldTables);
    } else {
        m_tableNames = UniqueNames();
        for (const QString& existing : m_database->tableNames())
            m_tableNames.take(existing.toStdString());
    }
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
    if (m_merged)
        m_merged->finish();
    if (m_database)
        m_database->execute(QStringLiteral("COMMIT"));
    m_merged.reset();
    m_database.reset();
}
