#include "database/XmlTableImport.h"

#include "database/DatabaseFile.h"
#include "database/TableRowInsert.h"

#include <memory>
#include <vector>

namespace {
// Makes the table; gives its name, or "" when the table holds nothing and so is not made.
std::string makeTable(DatabaseFile& database, const PlannedTable& table, UniqueNames& takenNames) {
    // A record whose every value repeats keeps them all in tables of their own.
    if (table.columns.empty())
        return {};
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
    FileTablePlan plan = planXmlTables(xmlPath, false);
    UniqueNames takenNames;
    for (const QString& existing : database.tableNames())
        takenNames.take(existing.toStdString());
    QStringList made;
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
    return made;
}
