// Any bytes as an XML file imported into tables of a fresh work database: never a crash, and
// either tables or the reader's error, never a half-imported file.
#include "FuzzInput.h"
#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "database/MergedTableImport.h"
#include "database/XmlTableImport.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString xml = writeFuzzInput("input.xml", data, size);
    const QString database = xml + QStringLiteral(".mdb");
    QFile::remove(database);
    makeEmptyDatabase(database);
    DatabaseFile file(database, false);
    try {
        importXmlIntoTables(file, xml);
    } catch (const XmlFileError&) {
        if (!file.tableNames().isEmpty())
            abort();
    }
    // Merged and folded, twice over, into tables that already hold rows of their own: a file
    // that fails leaves the tables as they were. Surveyed first, as a run does, or folding
    // would refuse every file as changed since.
    MergedTableImport merged(file);
    merged.survey(xml);
    for (int time = 0; time < 2; ++time) {
        const QStringList before = file.tableNames();
        try {
            merged.importFile(xml);
        } catch (const RuntimeError&) {
            if (file.tableNames() != before)
                abort();
        }
    }
    merged.finish();
    return 0;
}
