#include "import/Access1.h"

#include "base/Dialogs.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"

namespace {
bool isUserTable(qint32 attributes) {
    return attributes >= 0 && attributes != 1 && attributes != 2;
}
} // namespace

std::optional<QStringList> ListWorkTables(const QString& path, const QString& password,
                                          Dialogs& dialogs) {
    if (!FileExists(path))
        return std::nullopt;
    try {
        QStringList names;
        for (const TableDefinition& table : tableDefinitions(path, password.trimmed()))
            if (isUserTable(table.attributes))
                names << table.name;
        return names;
    } catch (const RuntimeError& error) {
        if (error.number() == kUnrecognizedDatabaseError)
            dialogs.showMessage(Message{QStringLiteral("Unrecognized MS Access Database File")});
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

void ClearWorkDatabase(const QString& path, const QString& password, Dialogs& dialogs) {
    const std::optional<QStringList> tables = ListWorkTables(path, password, dialogs);
    if (!tables || tables->isEmpty())
        return;
    // One connection and one transaction for them all: a run that left thousands of tables
    // would otherwise pay for a connection and a commit each, minutes in all.
    DatabaseConnection connection(path, QString());
    dropTables(*tables, connection);
}

QStringList WorkTableNames(const QString& path, const QString& password, Dialogs& dialogs) {
    return ListWorkTables(path, password, dialogs).value_or(QStringList());
}

DatabaseConnection openWorkDatabase(const QString& path, const QString& password) {
    return DatabaseConnection(path, password);
}

TableRows ReadTableRows(const QString& table, const QString& path, const QString& password) {
    DatabaseConnection connection = openWorkDatabase(path, password);
    TableRows rows;
    ReadTableRows(table, connection, [&](std::span<const std::string_view> fields) {
        QStringList values;
        for (std::string_view field : fields)
            values << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
        rows.rows.push_back(values);
    });
    return rows;
}

void ReadTableRows(const QString& table, DatabaseConnection& connection,
                   const std::function<void(std::span<const std::string_view> fields)>& take) {
    RecordCursor records = tableRecords(table, connection);
    std::vector<std::string_view> fields(static_cast<size_t>(records.fieldCount()));
    for (int i = 0; i < records.fieldCount(); ++i)
        fields[static_cast<size_t>(i)] = records.fieldName(i);
    take(fields);
    while (records.next()) {
        for (int i = 0; i < records.fieldCount(); ++i)
            fields[static_cast<size_t>(i)] = records.text(i);
        take(fields);
    }
}
