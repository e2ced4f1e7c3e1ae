#include "database/XmlTableImport.h"

#include "database/DatabaseFile.h"
#include "database/TableRowInsert.h"

namespace {
// Gives the table's name, or "" when the table holds nothing and so was not made.
std::string writeTable(DatabaseFile& database, PlannedTable& table, UniqueNames& takenNames) {
    // A record whose every value repeats keeps them all in tables of their own.
    if (table.columns.empty())
        return {};
    std::string name = takenNames.claim(tableNameFor(table.element));
    QStringList columns;
    for (const PlannedColumn& column : table.columns)
        columns << quotedIdentifier(QString::fromStdString(column.name)) + QStringLiteral(" TEXT");
    const QString quotedName = quotedIdentifier(QString::fromStdString(name));
    database.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName, columns.join(", ")));

    TableRowInsert insert(database, quotedName, columns.size());
    for (PlannedRow& row : table.rows) {
        row.values.resize(table.columns.size());
        for (size_t i = 0; i < row.values.size(); ++i)
            insert.bind(i, row.values[i]);
        insert.store();
    }
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
        for (PlannedTable& table : plan.tables())
            if (const std::string name = writeTable(database, table, takenNames); !name.empty())
                made << QString::fromStdString(name);
    });
    return made;
}
