#include "database/XmlTableImport.h"

#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "database/TableRowInsert.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace {
// Makes the table; gives its name, or "" when the table holds nothing and so is not made.
std::string makeTable(DatabaseFile& database, const PlannedTable& table, UniqueNames& takenNames) {
    // A record whose every value repeats keeps them all in tables of their own.
    if (table.columns.empty())
        return {};
    // Said in words of our own: the engine would say only "too many columns".
    const int limit = sqlite3_limit(database.handle(), SQLITE_LIMIT_COLUMN, -1);
    if (table.columns.size() > static_cast<size_t>(limit))
        throw RuntimeError(QStringLiteral("The table %1 would need %2 columns, more than the %3 "
                                          "that a table of the work database holds.")
                               .arg(QString::fromStdString(tableNameFor(table.element)))
                               .arg(table.columns.size())
                               .arg(limit),
                           0, FileProblem::TooWide);
    std::string name = takenNames.claim(tableNameFor(table.element));
    QStringList columns;
    for (const PlannedColumn& column : table.columns)
        columns << quotedIdentifier(QString::fromStdString(column.name)) + QStringLiteral(" TEXT");
    database.execute(QStringLiteral("CREATE TABLE %1 (%2)")
                         .arg(quotedIdentifier(QString::fromStdString(name)), columns.join(", ")));
    return name;
}
} // namespace

QStringList importXmlIntoTables(DatabaseFile& database, const QString& xmlPath) {
    UniqueNames takenNames;
    for (const QString& existing : database.namesTaken())
        takenNames.take(existing.toStdString());
    return importXmlIntoTables(database, xmlPath, takenNames);
}

QStringList importXmlIntoTables(DatabaseFile& database, const QString& xmlPath,
                                UniqueNames& takenNames) {
    FileTablePlan plan = planXmlTables(xmlPath, false);
    QStringList made;
    // A file that fails leaves no table behind, and so no name taken.
    struct GiveBackOnFailure {
        UniqueNames& names;
        QStringList& made;
        bool kept = false;
        ~GiveBackOnFailure() {
            if (!kept)
                for (const QString& name : made)
                    names.release(name.toStdString());
        }
    } giveBack{takenNames, made};
    insideSavepoint(database, [&] {
        // Rows of every table come in document order, so each table keeps its insert open.
        std::vector<std::unique_ptr<TableRowInsert>> inserts;
        for (const PlannedTable& table : plan.tables()) {
            const std::string name = makeTable(database, table, takenNames);
            if (name.empty()) {
                inserts.emplace_back();
                continue;
            }
            made << QString::fromStdString(name);
            inserts.push_back(std::make_unique<TableRowInsert>(
                database, quotedIdentifier(made.back()), table.columns.size()));
        }
        plan.forEachRow([&](const PlannedRow& row) {
            TableRowInsert* insert = inserts[row.place.table].get();
            if (!insert)
                return;
            for (size_t i = 0; i < row.values.size(); ++i)
                insert->bind(i, row.values[i]);
            insert->store();
        });
    });
    giveBack.kept = true;
    return made;
}
