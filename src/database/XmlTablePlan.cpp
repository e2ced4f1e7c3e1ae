#include "database/XmlTablePlan.h"

#include "database/UniqueNames.h"

#include <QString>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {
using Element = XmlDocumentTree::Element;
using Name = XmlDocumentTree::Name;

// What a column holds, as one number: its kind and up to two names (each below 2^30).
enum class ColumnKind : std::uint64_t { Attribute, Text, Child, ChildAttribute, Value };

std::uint64_t columnKey(ColumnKind kind, Name first = 0, Name second = 0) {
    return (static_cast<std::uint64_t>(kind) << 60) | (std::uint64_t(first) << 30) | second;
}

std::uint64_t namePair(Name first, Name second) {
    return (std::uint64_t(first) << 30) | second;
}

QString describeXmlError(const QString& path, const XmlError& error) {
    // A file that could not be read at all has no place in the document to name.
    if (error.line == 0)
        return QStringLiteral("The file %1 was not imported: %2").arg(path, error.reason);
    return QStringLiteral("The file %1 is not well-formed XML: %2 (line %3, position %4)")
        .arg(path, error.reason)
        .arg(error.line)
        .arg(error.position);
}
} // namespace

XmlFileError::XmlFileError(const QString& path, XmlError error)
    : RuntimeError(describeXmlError(path, error)), m_error(std::move(error)) {}

// Plans the tables of a document by walking its tree once, and hands the rows over by walking
// it again the same way: the walk that plans adds the tables, columns and paths that the walk
// handing rows over only looks up.
class FileTablePlan::Planner {
public:
    Planner(XmlDocumentTree document, bool recordPaths)
        : m_document(std::move(document)), m_recordPaths(recordPaths) {
        survey();
        walk(nullptr);
    }

    const std::deque<PlannedTable>& tables() const { return m_tables; }

    void forEachRow(const std::function<void(const PlannedRow&)>& take) { walk(&take); }

    std::string pathText(std::uint32_t path) const;

private:
    struct TableColumns {
        std::unordered_map<std::uint64_t, std::uint32_t> byKey;
        UniqueNames namesTaken;
    };

    struct PathStep {
        std::optional<std::uint32_t> parent;
        Name name;
    };

    // Which records hold values, and which childless children repeat within one record. Every
    // element is looked at once as a child.
    void survey() {
        const Element count = m_document.elementCount();
        m_valued.assign(m_document.nameCount(), false);
        std::vector<Element> seenIn(m_document.nameCount(), count);
        for (Element element = 0; element < count; ++element) {
            if (!m_document.hasChildren(element))
                continue;
            const Name name = m_document.name(element);
            bool valued =
                !m_document.attributes(element).empty() || m_document.text(element).has_value();
            for (Element child = element + 1; child < m_document.end(element);
                 child = m_document.end(child)) {
                if (m_document.hasChildren(child))
                    continue;
                valued = true;
                const Name childName = m_document.name(child);
                if (seenIn[childName] == element)
                    m_repeated.insert(namePair(name, childName));
                seenIn[childName] = element;
            }
            if (valued)
                m_valued[name] = true;
        }
        // A root without child elements is a record of its own.
        if (count > 0 && !m_document.hasChildren(0))
            m_valued[m_document.name(0)] = true;
    }

    // A record still being walked: the row it lies in, its path and the next child to look at.
    struct Frame {
        Element element;
        Element nextChild;
        std::optional<RowPlace> row;
        std::uint32_t path;
    };

    // Rows in document order, records before the records inside them; deep documents are
    // walked with a stack of our own. Plans when `take` is null, hands rows over otherwise.
    void walk(const std::function<void(const PlannedRow&)>* take) {
        m_take = take;
        m_nextRow.assign(m_tables.size(), 0);
        if (m_document.elementCount() == 0)
            return;
        std::vector<Frame> open;
        auto enter = [&](Element element, std::optional<RowPlace> parent,
                         std::optional<std::uint32_t> parentPath) {
            const std::uint32_t path = pathBelow(parentPath, m_document.name(element));
            std::optional<RowPlace> row = addRecord(element, parent, path);
            // A record that makes no row passes its own parent on to the records inside it.
            open.push_back({element, element + 1, row ? row : parent, path});
        };
        enter(0, std::nullopt, std::nullopt);
        while (!open.empty()) {
            Frame& top = open.back();
            Element child = top.nextChild;
            const Element end = m_document.end(top.element);
            while (child < end && !m_document.hasChildren(child))
                child = m_document.end(child);
            if (child >= end) {
                open.pop_back();
                continue;
            }
            top.nextChild = m_document.end(child);
            enter(child, top.row, top.path);
        }
    }

    std::uint32_t table(PlannedTable::Kind kind, Name element) {
        const std::uint64_t key = (std::uint64_t(kind) << 32) | element;
        const auto found = m_tableByKey.find(key);
        if (found != m_tableByKey.end())
            return found->second;
        const auto index = static_cast<std::uint32_t>(m_tables.size());
        m_tableByKey.emplace(key, index);
        PlannedTable& added = m_tables.emplace_back();
        added.kind = kind;
        added.element = m_document.nameText(element);
        m_columns.emplace_back();
        m_nextRow.push_back(0);
        return index;
    }

    // A new row of a table: its place, and (when handing rows over) its values cleared.
    RowPlace startRow(std::uint32_t table, std::optional<RowPlace> parent, PlannedRow& row) {
        const RowPlace place{table, m_nextRow[table]++};
        if (m_take) {
            row.place = place;
            row.parent = parent;
            row.values.assign(m_tables[table].columns.size(), std::nullopt);
            return place;
        }
        PlannedTable& planned = m_tables[table];
        ++planned.rowCount;
        if (parent) {
            auto& parents = planned.parentTables;
            if (std::find(parents.begin(), parents.end(), parent->table) == parents.end())
                parents.push_back(parent->table);
        }
        return place;
    }

    // Sets a value of the row; `wanted` gives the name and the key text of a column still to
    // be planned.
    template <typename Wanted>
    void set(PlannedRow& row, std::uint32_t table, std::uint64_t key, Wanted wanted,
             std::string_view value) {
        TableColumns& columns = m_columns[table];
        if (m_take) {
            row.values[columns.byKey.at(key)] = value;
            return;
        }
        if (columns.byKey.count(key))
            return;
        auto [keyText, name] = wanted();
        std::vector<PlannedColumn>& planned = m_tables[table].columns;
        std::string unique = columns.namesTaken.claim(name);
        planned.push_back({std::move(keyText), std::move(name), std::move(unique)});
        columns.byKey.emplace(key, static_cast<std::uint32_t>(planned.size() - 1));
    }

    void hand(const PlannedRow& row) {
        if (m_take)
            (*m_take)(row);
    }

    std::optional<RowPlace> addRecord(Element element, std::optional<RowPlace> parent,
                                      std::uint32_t path) {
        const Name name = m_document.name(element);
        if (!m_valued[name])
            return std::nullopt;
        const std::uint32_t records = table(PlannedTable::Kind::Records, name);
        PlannedRow& row = m_recordRow;
        const RowPlace place = startRow(records, parent, row);
        row.path = path;
        for (const XmlDocumentTree::Attribute& a : m_document.attributes(element))
            set(
                row, records, columnKey(ColumnKind::Attribute, a.qualifiedName),
                [&] {
                    return std::pair("attribute:" + m_document.nameText(a.qualifiedName),
                                     m_document.nameText(a.name));
                },
                a.value);
        if (const auto text = m_document.text(element))
            set(
                row, records, columnKey(ColumnKind::Text),
                [] { return std::pair(std::string("text"), std::string("#text")); }, *text);
        for (Element child = element + 1; child < m_document.end(element);
             child = m_document.end(child)) {
            if (m_document.hasChildren(child))
                continue;
            const Name childName = m_document.name(child);
            if (m_repeated.count(namePair(name, childName))) {
                addRepeatedValue(child, place, path);
                continue;
            }
            const std::string& childText = m_document.nameText(childName);
            set(
                row, records, columnKey(ColumnKind::Child, childName),
                [&] { return std::pair("child:" + childText, childText); },
                m_document.text(child).value_or(std::string_view()));
            for (const XmlDocumentTree::Attribute& a : m_document.attributes(child))
                set(
                    row, records, columnKey(ColumnKind::ChildAttribute, childName, a.qualifiedName),
                    [&] {
                        return std::pair("child:" + childText + "@" +
                                             m_document.nameText(a.qualifiedName),
                                         childText + "@" + m_document.nameText(a.name));
                    },
                    a.value);
        }
        hand(row);
        return place;
    }

    void addRepeatedValue(Element child, RowPlace record, std::uint32_t recordPath) {
        const Name name = m_document.name(child);
        const std::uint32_t values = table(PlannedTable::Kind::RepeatedValues, name);
        PlannedRow& row = m_valueRow;
        startRow(values, record, row);
        row.path = pathBelow(recordPath, name);
        for (const XmlDocumentTree::Attribute& a : m_document.attributes(child))
            set(
                row, values, columnKey(ColumnKind::Attribute, a.qualifiedName),
                [&] {
                    return std::pair("attribute:" + m_document.nameText(a.qualifiedName),
                                     m_document.nameText(a.name));
                },
                a.value);
        set(
            row, values, columnKey(ColumnKind::Value),
            [&] { return std::pair(std::string("value"), m_document.nameText(name)); },
            m_document.text(child).value_or(std::string_view()));
        hand(row);
    }

    // Paths cost a look-up per record, which only a caller that stores them pays.
    std::uint32_t pathBelow(std::optional<std::uint32_t> parent, Name name) {
        if (!m_recordPaths)
            return 0;
        const std::uint64_t key = ((parent ? std::uint64_t(*parent) + 1 : 0) << 30) | name;
        const auto found = m_pathByStep.find(key);
        if (found != m_pathByStep.end())
            return found->second;
        const auto path = static_cast<std::uint32_t>(m_paths.size());
        m_paths.push_back({parent, name});
        m_pathByStep.emplace(key, path);
        return path;
    }

    XmlDocumentTree m_document;
    bool m_recordPaths;
    std::vector<bool> m_valued;
    std::unordered_set<std::uint64_t> m_repeated;

    std::deque<PlannedTable> m_tables;
    std::deque<TableColumns> m_columns;
    std::unordered_map<std::uint64_t, std::uint32_t> m_tableByKey;
    std::vector<PathStep> m_paths;
    std::unordered_map<std::uint64_t, std::uint32_t> m_pathByStep;

    const std::function<void(const PlannedRow&)>* m_take = nullptr;
    std::vector<std::uint32_t> m_nextRow;
    // A record's row and a repeated value's row are filled at the same time.
    PlannedRow m_recordRow;
    PlannedRow m_valueRow;
};

std::string FileTablePlan::Planner::pathText(std::uint32_t path) const {
    // Gathered from the end, so that a path of any depth costs only what it keeps.
    std::vector<const std::string*> names;
    size_t bytes = 0;
    bool shortened = false;
    for (std::optional<std::uint32_t> at = path; at; at = m_paths[*at].parent) {
        const std::string& name = m_document.nameText(m_paths[*at].name);
        if (bytes + name.size() + 1 > kMaxPathBytes - 4 && !names.empty()) {
            shortened = true;
            break;
        }
        names.push_back(&name);
        bytes += name.size() + 1;
    }
    std::string text = shortened ? "..." : "";
    text.reserve(text.size() + bytes);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!text.empty())
            text += '/';
        text += **name;
    }
    return text;
}

FileTablePlan::FileTablePlan(XmlDocumentTree document, bool recordPaths)
    : m_planner(std::make_unique<Planner>(std::move(document), recordPaths)) {}
FileTablePlan::FileTablePlan(FileTablePlan&&) noexcept = default;
FileTablePlan& FileTablePlan::operator=(FileTablePlan&&) noexcept = default;
FileTablePlan::~FileTablePlan() = default;

const std::deque<PlannedTable>& FileTablePlan::tables() const {
    return m_planner->tables();
}

void FileTablePlan::forEachRow(const std::function<void(const PlannedRow&)>& take) {
    m_planner->forEachRow(take);
}

std::string FileTablePlan::pathText(std::uint32_t path) const {
    return m_planner->pathText(path);
}

std::string tableNameFor(const std::string& element) {
    const bool reserved =
        QString::fromStdString(element).startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
    return reserved ? "_" + element : element;
}

FileTablePlan planXmlTables(const QString& xmlPath, bool recordPaths) {
    XmlDocumentTree document;
    if (std::optional<XmlError> error = document.read(xmlPath))
        throw XmlFileError(xmlPath, std::move(*error));
    return FileTablePlan(std::move(document), recordPaths);
}
