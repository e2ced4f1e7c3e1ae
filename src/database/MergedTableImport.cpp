#include "database/MergedTableImport.h"

#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "database/TableRowInsert.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace {
const std::string kFile = "#file";
const std::string kId = "#id";
const std::string kPath = "#path";

QString quoted(const std::string& name) {
    return quotedIdentifier(QString::fromStdString(name));
}
} // namespace

struct MergedTableImport::Table {
    std::string name;
    QString quotedName;
    // The tables whose records enclose this one's, with the name of their column.
    std::vector<std::pair<const Table*, std::string>> parents;
    std::vector<std::string> values;
    std::unordered_map<std::string, size_t> valueByKey;
    UniqueNames columnNames;
    // How many of the parent and value columns the database holds. It adds columns only at the
    // end, so a parent column added after the table was made stands after "#path" until
    // finish() puts it in its place.
    size_t storedParents = 0;
    size_t storedValues = 0;
    bool made = false;
    bool outOfOrder = false;
    std::int64_t rowCount = 0;

    // Every column in its place, "#file", "#id", the parent columns, "#path", then the values,
    // each with whether it is a key.
    std::vector<std::pair<std::string, bool>> columnsInOrder() const {
        std::vector<std::pair<std::string, bool>> columns{{kFile, false}, {kId, true}};
        for (const auto& parent : parents)
            columns.emplace_back(parent.second, true);
        columns.emplace_back(kPath, false);
        for (const std::string& value : values)
            columns.emplace_back(value, false);
        return columns;
    }
    // The columns as the statement making the table names them.
    QStringList definitions() const {
        QStringList definitions;
        for (const auto& [column, isKey] : columnsInOrder())
            definitions << definition(column, isKey);
        return definitions;
    }
    QStringList names() const {
        QStringList names;
        for (const auto& column : columnsInOrder())
            names << quoted(column.first);
        return names;
    }
    // Keys are whole numbers; everything else is text as the file has it.
    static QString definition(const std::string& column, bool isKey) {
        return quoted(column) + (isKey ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
    }
    size_t parentColumn(const Table* parent) {
        for (size_t i = 0; i < parents.size(); ++i)
            if (parents[i].first == parent)
                return i;
        parents.emplace_back(parent, columnNames.claim(parent->name + kId));
        return parents.size() - 1;
    }
    size_t valueColumn(const PlannedColumn& column) {
        const auto found = valueByKey.find(column.key);
        if (found != valueByKey.end())
            return found->second;
        values.push_back(columnNames.claim(column.wanted));
        return valueByKey[column.key] = values.size() - 1;
    }
};

// How far every table had come before a file, so that a file that fails can be taken back.
struct MergedTableImport::Marks {
    struct Table {
        size_t parents;
        size_t values;
        size_t storedParents;
        size_t storedValues;
        bool outOfOrder;
        std::int64_t rowCount;
    };
    size_t tableCount = 0;
    std::unordered_map<MergedTableImport::Table*, Table> touched;
};

MergedTableImport::MergedTableImport(DatabaseFile& database, bool fold)
    : m_database(database), m_fold(fold) {
    for (const QString& existing : database.namesTaken())
        m_tableNames.take(existing.toStdString());
}

MergedTableImport::~MergedTableImport() = default;

void MergedTableImport::survey(const QString& xmlPath) {
    if (m_fold)
        m_kinds.survey(xmlPath);
}

MergedTableImport::Table& MergedTableImport::tableFor(const PlannedTable& planned, Marks& marks,
                                                      QStringList& made) {
    const auto key = std::make_pair(planned.kind, foldedName(planned.element));
    const auto found = m_tableByKey.find(key);
    Table* table = nullptr;
    if (found != m_tableByKey.end()) {
        table = m_tables[found->second].get();
    } else {
        m_tableByKey[key] = m_tables.size();
        table = m_tables.emplace_back(std::make_unique<Table>()).get();
        table->name = m_tableNames.claim(tableNameFor(planned.element));
        table->quotedName = quoted(table->name);
        for (const std::string& column : {kFile, kId, kPath})
            table->columnNames.take(column);
        made << QString::fromStdString(table->name);
    }
    marks.touched.try_emplace(table, Marks::Table{table->parents.size(), table->values.size(),
                                                  table->storedParents, table->storedValues,
                                                  table->outOfOrder, table->rowCount});
    return *table;
}

// The insert of one table of a file. It names the key columns, the parents the table's rows
// have, then its values.
struct MergedTableImport::FileInsert {
    std::unique_ptr<TableRowInsert> insert;
    std::int64_t firstId = 0;
    // A parent table of the file, and the insert's place of its column.
    std::vector<std::pair<std::uint32_t, size_t>> parentPlaces;
    size_t pathPlace = 0;
    size_t firstValuePlace = 0;
    // Rows of one path mostly come together; a deep document's rows each have their own.
    std::optional<std::uint32_t> lastPath;
    std::string pathText;
};

QStringList MergedTableImport::importFile(const QString& xmlPath) {
    // "#file", "#id" and "#path" stand in every table beside its values.
    const TableWidth width{
        static_cast<size_t>(sqlite3_limit(m_database.handle(), SQLITE_LIMIT_COLUMN, -1)), 3};
    FileTablePlan plan = planXmlTables(xmlPath, true, m_fold ? &m_kinds : nullptr, width);
    const std::string file = xmlPath.toStdString();
    Marks marks;
    marks.tableCount = m_tables.size();
    QStringList made;
    try {
        insideSavepoint(m_database, [&] {
            const auto& tables = plan.tables();
            std::vector<Table*> merged(tables.size());
            std::vector<FileInsert> inserts(tables.size());
            // Numbers first: a record may enclose rows of a table that came before its own.
            for (size_t local = 0; local < tables.size(); ++local) {
                merged[local] = &tableFor(tables[local], marks, made);
                inserts[local].firstId = merged[local]->rowCount + 1;
                merged[local]->rowCount += tables[local].rowCount;
            }
            for (size_t local = 0; local < tables.size(); ++local)
                inserts[local] = prepareInsert(tables[local], merged, std::move(inserts[local]),
                                               *merged[local], file);
            plan.forEachRow([&](const PlannedRow& row) { storeRow(row, plan, merged, inserts); });
        });
    } catch (...) {
        undo(marks);
        throw;
    }
    return made;
}

void MergedTableImport::storeRow(const PlannedRow& row, const FileTablePlan& plan,
                                 const std::vector<Table*>& merged,
                                 std::vector<FileInsert>& inserts) {
    FileInsert& into = inserts[row.place.table];
    TableRowInsert& insert = *into.insert;
    insert.bind(1, into.firstId + row.place.row);
    for (const auto& [parentTable, place] : into.parentPlaces) {
        if (row.parent && merged[row.parent->table] == merged[parentTable])
            insert.bind(place, inserts[row.parent->table].firstId + row.parent->row);
        else
            insert.bindNull(place);
    }
    if (into.lastPath != row.path) {
        into.pathText = plan.pathText(row.path);
        into.lastPath = row.path;
    }
    insert.bind(into.pathPlace, std::string_view(into.pathText));
    // Bound in place: the engine reads the texts only when the row is stored.
    for (size_t v = 0; v < row.values.size(); ++v)
        insert.bind(into.firstValuePlace + v, row.values[v]);
    insert.store();
}

MergedTableImport::FileInsert MergedTableImport::prepareInsert(const PlannedTable& planned,
                                                               const std::vector<Table*>& merged,
                                                               FileInsert into, Table& table,
                                                               const std::string& file) {
    QStringList columns{quoted(kFile), quoted(kId)};
    for (const std::uint32_t parentTable : planned.parentTables) {
        bool known = false;
        for (const auto& [other, place] : into.parentPlaces)
            known = known || merged[other] == merged[parentTable];
        if (known)
            continue;
        const size_t at = table.parentColumn(merged[parentTable]);
        into.parentPlaces.emplace_back(parentTable, static_cast<size_t>(columns.size()));
        columns << quoted(table.parents[at].second);
    }
    into.pathPlace = static_cast<size_t>(columns.size());
    columns << quoted(kPath);
    into.firstValuePlace = static_cast<size_t>(columns.size());
    for (const PlannedColumn& column : planned.columns)
        columns << quoted(table.values[table.valueColumn(column)]);

    storeColumns(table);
    into.insert = std::make_unique<TableRowInsert>(m_database, table.quotedName, columns);
    // The file's path stays bound for every row.
    into.insert->bind(0, std::string_view(file));
    return into;
}

void MergedTableImport::storeColumns(Table& table) {
    // Said in words of our own: the engine would say only "too many columns".
    const size_t columns = 3 + table.parents.size() + table.values.size();
    const int limit = sqlite3_limit(m_database.handle(), SQLITE_LIMIT_COLUMN, -1);
    if (columns > static_cast<size_t>(limit))
        throw RuntimeError(
            QStringLiteral("The merged table %1 would need %2 columns, more than the "
                           "%3 that a table of the work database holds.")
                .arg(QString::fromStdString(table.name))
                .arg(columns)
                .arg(limit),
            0, FileProblem::TooWide);
    if (!table.made) {
        m_database.execute(
            QStringLiteral("CREATE TABLE %1 (%2)")
                .arg(table.quotedName, table.definitions().join(QStringLiteral(", "))));
        table.made = true;
    } else {
        QStringList added;
        for (size_t i = table.storedParents; i < table.parents.size(); ++i)
            added << table.definition(table.parents[i].second, true);
        table.outOfOrder = table.outOfOrder || !added.isEmpty();
        for (size_t i = table.storedValues; i < table.values.size(); ++i)
            added << table.definition(table.values[i], false);
        for (const QString& definition : added)
            m_database.execute(
                QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(table.quotedName, definition));
    }
    table.storedParents = table.parents.size();
    table.storedValues = table.values.size();
}

void MergedTableImport::undo(const Marks& marks) {
    for (const auto& touched : marks.touched) {
        Table& changed = *touched.first;
        const Marks::Table& mark = touched.second;
        for (size_t i = mark.parents; i < changed.parents.size(); ++i)
            changed.columnNames.release(changed.parents[i].second);
        changed.parents.resize(mark.parents);
        for (size_t i = mark.values; i < changed.values.size(); ++i)
            changed.columnNames.release(changed.values[i]);
        changed.values.resize(mark.values);
        std::erase_if(changed.valueByKey,
                      [&](const auto& entry) { return entry.second >= mark.values; });
        changed.storedParents = mark.storedParents;
        changed.storedValues = mark.storedValues;
        changed.outOfOrder = mark.outOfOrder;
        changed.rowCount = mark.rowCount;
    }
    while (m_tables.size() > marks.tableCount) {
        m_tableNames.release(m_tables.back()->name);
        m_tables.pop_back();
    }
    std::erase_if(m_tableByKey,
                  [&](const auto& entry) { return entry.second >= marks.tableCount; });
}

void MergedTableImport::finish() {
    UniqueNames scratchNames;
    for (const QString& existing : m_database.namesTaken())
        scratchNames.take(existing.toStdString());
    // The engine would check every view of the database at each renaming, and refuse it for a
    // view of the user's that names a table no longer there. No view names the scratch table.
    m_database.execute(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    for (const auto& each : m_tables) {
        Table& table = *each;
        if (!table.outOfOrder)
            continue;
        // The table is copied with its columns in their order.
        const QString scratch = quoted(scratchNames.claim(table.name + "#ordered"));
        insideSavepoint(m_database, [&] {
            m_database.execute(QStringLiteral("CREATE TABLE %1 (%2)")
                                   .arg(scratch, table.definitions().join(QStringLiteral(", "))));
            m_database.execute(
                QStringLiteral("INSERT INTO %1 SELECT %2 FROM %3 ORDER BY rowid")
                    .arg(scratch, table.names().join(QStringLiteral(", ")), table.quotedName));
            m_database.execute(QStringLiteral("DROP TABLE %1").arg(table.quotedName));
            m_database.execute(
                QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(scratch, table.quotedName));
        });
        table.outOfOrder = false;
    }
}

bool isTextColumn(std::span<const std::string> columnNames, size_t column) {
    const std::string& name = columnNames[column];
    if (name == kFile || name == kPath)
        return true;
    // The document element's whole text stands in "#text" beside its "#markup".
    const std::string markup = (name == "#text" ? std::string() : name) + "#markup";
    return std::find(columnNames.begin(), columnNames.end(), markup) != columnNames.end();
}
