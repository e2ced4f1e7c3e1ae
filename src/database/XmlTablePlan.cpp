#include "database/XmlTablePlan.h"

#include "database/ElementKinds.h"
#include "database/PathFromTheEnd.h"
#include "database/UniqueNames.h"

#include <QString>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {
using Element = XmlDocumentTree::Element;
using Name = XmlDocumentTree::Name;

// What a column holds, as one number: its kind and up to two names (each below 2^30).
enum class ColumnKind : std::uint64_t {
    Attribute,
    Text,
    Child,
    ChildAttribute,
    Value,
    Folded,
    FoldedAttribute,
    Markup,
    FoldedMarkup
};

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
    Planner(const QString& path, XmlDocumentTree document, bool recordPaths,
            const ElementKinds* kinds, TableWidth width)
        : m_path(path), m_document(std::move(document)), m_recordPaths(recordPaths), m_kinds(kinds),
          m_width(width) {
        if (!m_kinds)
            survey();
        walk(nullptr);
    }

    const std::deque<PlannedTable>& tables() const { return m_tables; }

    void forEachRow(const std::function<void(const PlannedRow&)>& take) { walk(&take); }

    // Says that the file is not what the run surveyed.
    [[noreturn]] void changedSinceSurveyed() const {
        throw RuntimeError(QStringLiteral("The file %1 was not imported: it changed while the "
                                          "run was reading it.")
                               .arg(m_path),
                           0, FileProblem::ChangedWhileRead);
    }

    std::string pathText(std::uint32_t path) const;

private:
    struct TableColumns {
        std::unordered_map<std::uint64_t, std::uint32_t> byKey;
        // Two keys of one text are one column: a folded value reached from records of two kinds.
        std::unordered_map<std::string, std::uint32_t> byText;
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
        if (m_kinds) {
            walkFolded();
            return;
        }
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
            const auto at = columns.byKey.find(key);
            if (at == columns.byKey.end())
                changedSinceSurveyed();
            std::optional<std::string_view>& place = row.values[at->second];
            // Folding relies on each kind occurring once in its row.
            if (m_kinds && place)
                changedSinceSurveyed();
            place = value;
            return;
        }
        if (columns.byKey.count(key))
            return;
        auto [keyText, name] = wanted();
        if (const auto same = columns.byText.find(keyText); same != columns.byText.end()) {
            columns.byKey.emplace(key, same->second);
            return;
        }
        std::vector<PlannedColumn>& planned = m_tables[table].columns;
        // Refused before the columns past the limit are made: a document nested thousands deep
        // asks for a column at every level.
        if (m_width.maxColumns > 0 && m_width.keyColumns + planned.size() >= m_width.maxColumns)
            throw RuntimeError(
                QStringLiteral("The table %1 would need more than the %2 columns "
                               "that a table of the work database holds.")
                    .arg(QString::fromStdString(tableNameFor(m_tables[table].element)))
                    .arg(m_width.maxColumns),
                0, FileProblem::TooWide);
        std::string unique = columns.namesTaken.claim(name);
        const auto at = static_cast<std::uint32_t>(planned.size());
        columns.byKey.emplace(key, at);
        columns.byText.emplace(keyText, at);
        planned.push_back({std::move(keyText), std::move(name), std::move(unique)});
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
            setAttribute(row, records, a);
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
            setAttribute(row, values, a);
        set(
            row, values, columnKey(ColumnKind::Value),
            [&] { return std::pair(std::string("value"), m_document.nameText(name)); },
            m_document.text(child).value_or(std::string_view()));
        hand(row);
    }

    // Folding: a table for the document element when it holds values and for every kind that
    // repeats; everything else is folded into the row of the nearest table above it.

    // A table element still to be walked, with the path of the element it lies in.
    struct Nested {
        Element element;
        ElementKinds::Kind kind;
        std::uint32_t parentPath;
    };
    // A table element being walked: its row (or the row it lies in) and the tables inside it.
    struct FoldedFrame {
        std::optional<RowPlace> row;
        std::vector<Nested> nested;
        size_t next = 0;
    };

    void walkFolded() {
        m_onceIn.clear();
        const ElementKinds::Kind root = kindOf(ElementKinds::kNone, 0);
        asSurveyed(0, root, std::nullopt);
        std::vector<FoldedFrame> open;
        open.push_back(enterFolded(0, root, std::nullopt, std::nullopt));
        while (!open.empty()) {
            FoldedFrame& top = open.back();
            if (top.next == top.nested.size()) {
                open.pop_back();
                continue;
            }
            const Nested next = top.nested[top.next++];
            const std::optional<RowPlace> row = top.row;
            open.push_back(enterFolded(next.element, next.kind, row, next.parentPath));
        }
    }

    // The kind of an element below one of kind `parent`; one the survey did not see means the
    // file changed since.
    ElementKinds::Kind kindOf(ElementKinds::Kind parent, Element element) {
        const Name name = m_document.name(element);
        const std::uint64_t key = ElementKinds::stepKey(parent, name);
        const auto found = m_kindByStep.find(key);
        if (found != m_kindByStep.end())
            return found->second;
        const ElementKinds::Kind kind = m_kinds->find(parent, m_document.nameText(name));
        if (kind == ElementKinds::kNone)
            changedSinceSurveyed();
        m_kindByStep.emplace(key, kind);
        return kind;
    }

    // The survey tells what no file has, and folding relies on it: a kind that never occurs
    // twice in one element is one column of its row, and a kind without children or without
    // a value has no place made for them (a document element without values has no row at
    // all). An element that has any of these means the file changed since.
    void asSurveyed(Element element, ElementKinds::Kind kind, std::optional<Element> parent) {
        // The walk that plans has looked at every element already.
        if (m_take)
            return;
        const bool hasChildren = m_document.hasChildren(element);
        if (hasChildren && !m_kinds->hasChildren(kind))
            changedSinceSurveyed();
        // An element of a mixed kind is kept whole, so one with children here is not.
        if (hasChildren && m_document.text(element) && !m_kinds->mixed(kind))
            changedSinceSurveyed();
        const bool hasValue = !hasChildren || m_document.text(element).has_value() ||
                              !m_document.attributes(element).empty();
        if (hasValue && !m_kinds->hasValue(kind))
            changedSinceSurveyed();
        if (parent && !m_kinds->repeats(kind)) {
            // The children of one element are looked at one after the other.
            const auto [last, first] = m_onceIn.try_emplace(kind, *parent);
            if (!first && last->second == *parent)
                changedSinceSurveyed();
            last->second = *parent;
        }
    }

    FoldedFrame enterFolded(Element element, ElementKinds::Kind kind,
                            std::optional<RowPlace> parent,
                            std::optional<std::uint32_t> parentPath) {
        const Name name = m_document.name(element);
        const std::uint32_t path = pathBelow(parentPath, name);
        FoldedFrame frame;
        frame.row = parent;
        const bool isRoot = element == 0;
        if (isRoot && !m_kinds->holdsValues(kind)) {
            foldInto(nullptr, 0, element, kind, kind, path, frame.nested);
            return frame;
        }
        // An element of a mixed kind is one value wherever it stands.
        const bool values = !isRoot && (m_kinds->mixed(kind) || !m_kinds->hasChildren(kind));
        const std::uint32_t table = this->table(
            values ? PlannedTable::Kind::RepeatedValues : PlannedTable::Kind::Records, name);
        PlannedRow& row = m_recordRow;
        const RowPlace place = startRow(table, parent, row);
        row.path = path;
        for (const XmlDocumentTree::Attribute& a : m_document.attributes(element))
            setAttribute(row, table, a);
        if (values)
            set(
                row, table, columnKey(ColumnKind::Value),
                [&] { return std::pair(std::string("value"), m_document.nameText(name)); },
                m_document.text(element).value_or(std::string_view()));
        else if (const auto text = m_document.text(element))
            set(
                row, table, columnKey(ColumnKind::Text),
                [] { return std::pair(std::string("text"), std::string("#text")); }, *text);
        if (const auto markup = m_document.markup(element))
            set(
                row, table, columnKey(ColumnKind::Markup),
                [&] {
                    return std::pair(std::string("markup"),
                                     (values ? m_document.nameText(name) : "") + "#markup");
                },
                *markup);
        foldInto(&row, table, element, kind, kind, path, frame.nested);
        hand(row);
        frame.row = place;
        return frame;
    }

    // Sets the values of the elements below `element` that fold into the row, in document
    // order, and gathers the tables inside them.
    void foldInto(PlannedRow* row, std::uint32_t table, Element element, ElementKinds::Kind kind,
                  ElementKinds::Kind rowKind, std::uint32_t path, std::vector<Nested>& nested) {
        struct Open {
            Element element;
            ElementKinds::Kind kind;
            std::uint32_t path;
            Element nextChild;
        };
        std::vector<Open> open{{element, kind, path, element + 1}};
        while (!open.empty()) {
            Open& top = open.back();
            if (top.nextChild >= m_document.end(top.element)) {
                open.pop_back();
                continue;
            }
            const Element child = top.nextChild;
            top.nextChild = m_document.end(child);
            const ElementKinds::Kind childKind = kindOf(top.kind, child);
            asSurveyed(child, childKind, top.element);
            if (m_kinds->repeats(childKind)) {
                nested.push_back({child, childKind, top.path});
                continue;
            }
            if (row)
                setFolded(*row, table, child, childKind, rowKind);
            if (m_document.hasChildren(child)) {
                const std::uint32_t childPath = pathBelow(top.path, m_document.name(child));
                open.push_back({child, childKind, childPath, child + 1});
            }
        }
    }

    // What a folded column holds, as a key text, and the name it asks for: its path from the
    // row's element. A path too long to spell out whole keeps its last names after ".../", as a
    // row's path does, and is known instead by the two kinds it joins: spelled out, the paths of
    // a document nested thousands deep would take the square of its depth.
    std::pair<std::string, std::string> foldedColumn(ElementKinds::Kind rowKind,
                                                     ElementKinds::Kind kind) const {
        bool cut = false;
        bool foldedCut = false;
        std::string name = m_kinds->pathBetween(rowKind, kind, false, kMaxPathBytes, &cut);
        std::string key = m_kinds->pathBetween(rowKind, kind, true, kMaxPathBytes, &foldedCut);
        // No element name holds "#", so no path spelled out reads like this. Appended, since GCC 12
        // at -O3 warns falsely of overlapping copies where a literal is joined to a temporary.
        if (cut || foldedCut)
            key = std::string(1, '#')
                      .append(std::to_string(rowKind))
                      .append(1, '/')
                      .append(std::to_string(kind));
        return {"fold:" + key, std::move(name)};
    }

    void setFolded(PlannedRow& row, std::uint32_t table, Element element, ElementKinds::Kind kind,
                   ElementKinds::Kind rowKind) {
        const std::optional<std::string_view> text = m_document.text(element);
        if (text || !m_document.hasChildren(element))
            set(
                row, table, columnKey(ColumnKind::Folded, kind),
                [&] { return foldedColumn(rowKind, kind); }, text.value_or(std::string_view()));
        if (const auto markup = m_document.markup(element))
            set(
                row, table, columnKey(ColumnKind::FoldedMarkup, kind),
                [&] {
                    auto [key, name] = foldedColumn(rowKind, kind);
                    return std::pair(key + "#markup", name + "#markup");
                },
                *markup);
        for (const XmlDocumentTree::Attribute& a : m_document.attributes(element))
            set(
                row, table, columnKey(ColumnKind::FoldedAttribute, kind, a.qualifiedName),
                [&] {
                    auto [key, name] = foldedColumn(rowKind, kind);
                    return std::pair(key + "@" + m_document.nameText(a.qualifiedName),
                                     name + "@" + m_document.nameText(a.name));
                },
                a.value);
    }

    void setAttribute(PlannedRow& row, std::uint32_t table, const XmlDocumentTree::Attribute& a) {
        set(
            row, table, columnKey(ColumnKind::Attribute, a.qualifiedName),
            [&] {
                return std::pair("attribute:" + m_document.nameText(a.qualifiedName),
                                 m_document.nameText(a.name));
            },
            a.value);
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

    QString m_path;
    XmlDocumentTree m_document;
    bool m_recordPaths;
    // The run's kinds of element when folding, with the kinds of this file's elements by their
    // parent's kind and their name.
    const ElementKinds* m_kinds;
    TableWidth m_width;
    std::unordered_map<std::uint64_t, ElementKinds::Kind> m_kindByStep;
    // For each kind that does not repeat, the element its last one was found in.
    std::unordered_map<ElementKinds::Kind, Element> m_onceIn;
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
    // A plan that records no paths numbers every row's path 0, which names none.
    if (path >= m_paths.size())
        return {};
    PathFromTheEnd text(kMaxPathBytes);
    for (std::optional<std::uint32_t> at = path; at; at = m_paths[*at].parent)
        if (!text.takeAbove(m_document.nameText(m_paths[*at].name)))
            break;
    return text.text();
}

FileTablePlan::FileTablePlan(const QString& path, XmlDocumentTree document, bool recordPaths,
                             const ElementKinds* kinds, TableWidth width)
    : m_planner(std::make_unique<Planner>(path, std::move(document), recordPaths, kinds, width)) {}
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

FileTablePlan planXmlTables(const QString& xmlPath, bool recordPaths, const ElementKinds* kinds,
                            TableWidth width) {
    XmlDocumentTree document;
    if (std::optional<XmlError> error = document.read(xmlPath, kinds))
        throw XmlFileError(xmlPath, std::move(*error));
    return FileTablePlan(xmlPath, std::move(document), recordPaths, kinds, width);
}
