#include "import/office/DatabaseApplication.h"

#include "import/office/DatabaseEngine.h"
#include "import/office/XmlTableImport.h"
#include "shell/RuntimeError.h"

DatabaseApplication::DatabaseApplication() = default;
DatabaseApplication::~DatabaseApplication() = default;

void DatabaseApplication::OpenCurrentDatabase(const QString& path) {
    m_database = std::make_unique<DatabaseFile>(path, false);
}

void DatabaseApplication::ImportXml(const QString& dataSource) {
    if (!m_database)
        throw RuntimeError(QStringLiteral("There is no current database to import into."));
    importXmlIntoTables(*m_database, dataSource);
}

void DatabaseApplication::quit() {
    m_database.reset();
}
