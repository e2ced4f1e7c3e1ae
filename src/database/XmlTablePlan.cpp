#include "database/XmlTablePlan.h"

#include <QString>

#include <algorithm>
#include <memory>
#include <set>
#include <string_view>

namespace {
std::string localName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

bool isNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || name.starts_with("xmlns:");
}

struct Node {
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    // Takes a deep tree apart without a call per level.
    ~Node() {
        std::vector<std::unique_ptr<Node>> pending = std::move(children);
        while (!pending.empty()) {
            std::unique_ptr<Node> node = std::move(pending.back());
            pending.pop_back();
            for (auto& child : node->children)
                pending.push_back(std::move(child));
            node->children.clear();
        }
    }

    // An attribute keeps its name as written, prefix and all, so that two of one local name in
    // different namespaces stay two values.
    struct Attribute {
        std::string qualifiedName;
        std::string name;
        std::string value;
    };

    std::string name;
    std::vector<Attribute> attributes;
    std::string text;
    bool hasText = false;
    std::vector<std::unique_ptr<Node>> children;

    bool isRecord() const { return !children.empty(); }
};

// Builds the element tree of a document. An element's text is its runs of text and character
// data joined exactly as they stand, whitespace between two runs included, whatever comments or
// instructions stood between them; whitespace before the first run of a stretch, or before a
// child element, only lays the document out. Text of whitespace alone is no value.
class TreeBuilder final : public XmlEvents {
public:
    void startElement(std::string_view name, const char* const* attributes) override {
        if (!m_open.empty())
            m_open.back().endStretch();
        auto node = std::make_unique<Node>();
        node->name = localName(name);
        for (const char* const* a = attributes; a && *a; a += 2)
            if (!isNamespaceDeclaration(a[0]))
                node->attributes.push_back({a[0], localName(a[0]), a[1]});
        Node* added = node.get();
        if (m_open.empty())
            m_root = std::move(node);
        else
            m_open.back().node->children.push_back(std::move(node));
        m_open.push_back(OpenElement{added, {}, false});
    }
    void endElement() override {
        Node& closing = *m_open.back().node;
        closing.hasText = !std::all_of(closing.text.begin(), closing.text.end(), isXmlWhitespace);
        if (!closing.hasText)
            closing.text.clear();
        m_open.pop_back();
    }
    void text(std::string_view value) override { m_open.back().run(value); }
    void cdata(std::string_view value) override { m_open.back().run(value); }
    void whitespace(std::string_view value) override {
        if (m_open.back().stretchHasText)
            m_open.back().pendingWhitespace.append(value);
    }
    void comment(std::string_view) override {}
    void processingInstruction(std::string_view, std::string_view) override {}

    std::unique_ptr<Node> takeRoot() { return std::move(m_root); }

private:
    struct OpenElement {
        Node* node;
        // Whitespace after a run, kept until it is known whether another run follows.
        std::string pendingWhitespace;
        bool stretchHasText = false;

        void run(std::string_view value) {
            node->text.append(pendingWhitespace).append(value);
            pendingWhitespace.clear();
            stretchHasText = true;
        }
        void endStretch() {
            pendingWhitespace.clear();
            stretchHasText = false;
        }
    };

    std::unique_ptr<Node> m_root;
    std::vector<OpenElement> m_open;
};

// Plans the rows of a document in two passes over its element tree.
class TablePlanner {
public:
    TablePlanner(const Node& root, bool recordPaths) : m_recordPaths(recordPaths) {
        survey(root);
        // A root without child elements is a record of its own.
        if (!root.isRecord())
            m_valued.insert(root.name);
        emitRows(root);
    }

    FileTablePlan& plan() { return m_plan; }

private:
    // First pass: which records hold values, and which childless children repeat. Deep
    // documents are walked with a stack of our own.
    void survey(const Node& root) {
        std::vector<const Node*> pending{&root};
        while (!pending.empty()) {
            const Node& node = *pending.back();
            pending.pop_back();
            if (!node.isRecord())
                continue;
            std::map<std::string, int> seen;
            bool valued = !node.attributes.empty() || node.hasText;
            for (const auto& child : node.children) {
                if (child->isRecord()) {
                    pending.push_back(child.get());
                    continue;
                }
                valued = true;
                if (++seen[child->name] == 2)
                    m_repeated[node.name].insert(child->name);
            }
            if (valued)
                m_valued.insert(node.name);
        }
    }

    std::uint32_t table(PlannedTable::Kind kind, const std::string& element) {
        const auto key = std::make_pair(kind, element);
        const auto found = m_tableByKey.find(key);
        if (found != m_tableByKey.end())
            return found->second;
        const auto index = static_cast<std::uint32_t>(m_plan.tables().size());
        m_tableByKey[key] = index;
        PlannedTable& added = m_plan.tables().emplace_back();
        added.kind = kind;
        added.element = element;
        return index;
    }

    // A record still to be planned, with the row it lies in and its parent's path.
    struct Pending {
        const Node* node;
        std::optional<RowPlace> parent;
        std::optional<std::uint32_t> parentPath;
    };

    // Second pass: rows in document order, records before the records inside them.
    void emitRows(const Node& root) {
        std::vector<Pending> pending{{&root, std::nullopt, std::nullopt}};
        while (!pending.empty()) {
            const Pending next = pending.back();
            pending.pop_back();
            const std::uint32_t path = pathBelow(next.parentPath, next.node->name);
            std::optional<RowPlace> row = addRecord(*next.node, next.parent, path);
            // A record that makes no row passes its own parent on to the records inside it.
            if (!row)
                row = next.parent;
            const auto& children = next.node->children;
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                if ((*child)->isRecord())
                    pending.push_back({child->get(), row, path});
        }
    }

    static void set(PlannedTable& table, PlannedRow& row, const std::string& key,
                    const std::string& name, const std::string& value) {
        const size_t at = table.column(key, name);
        row.values.resize(table.columns.size());
        row.values[at] = value;
    }

    std::optional<RowPlace> addRecord(const Node& node, std::optional<RowPlace> parent,
                                      std::uint32_t path) {
        if (!m_valued.count(node.name))
            return std::nullopt;
        const std::uint32_t index = table(PlannedTable::Kind::Records, node.name);
        PlannedTable& records = m_plan.tables()[index];
        const RowPlace place{index, static_cast<std::uint32_t>(records.rows.size())};
        PlannedRow row{{}, parent, path};
        for (const Node::Attribute& a : node.attributes)
            set(records, row, "attribute:" + a.qualifiedName, a.name, a.value);
        if (node.hasText)
            set(records, row, "text", "#text", node.text);
        const std::set<std::string>& repeated = m_repeated[node.name];
        for (const auto& child : node.children) {
            if (child->isRecord())
                continue;
            if (repeated.count(child->name)) {
                addRepeatedValue(*child, place, path);
                continue;
            }
            set(records, row, "child:" + child->name, child->name, child->text);
            for (const Node::Attribute& a : child->attributes)
                set(records, row, "child:" + child->name + "@" + a.qualifiedName,
                    child->name + "@" + a.name, a.value);
        }
        row.values.resize(records.columns.size());
        records.rows.push_back(std::move(row));
        return place;
    }

    void addRepeatedValue(const Node& child, RowPlace record, std::uint32_t recordPath) {
        PlannedTable& values =
            m_plan.tables()[table(PlannedTable::Kind::RepeatedValues, child.name)];
        PlannedRow row{{}, record, pathBelow(recordPath, child.name)};
        for (const Node::Attribute& a : child.attributes)
            set(values, row, "attribute:" + a.qualifiedName, a.name, a.value);
        set(values, row, "value", child.name, child.text);
        values.rows.push_back(std::move(row));
    }

    // Paths cost a look-up per record, which only a caller that stores them pays.
    std::uint32_t pathBelow(std::optional<std::uint32_t> parent, const std::string& name) {
        return m_recordPaths ? m_plan.pathBelow(parent, name) : 0;
    }

    bool m_recordPaths;
    FileTablePlan m_plan;
    std::set<std::string> m_valued;
    std::map<std::string, std::set<std::string>> m_repeated;
    std::map<std::pair<PlannedTable::Kind, std::string>, std::uint32_t> m_tableByKey;
};

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

size_t PlannedTable::column(const std::string& key, const std::string& wanted) {
    const auto found = columnByKey.find(key);
    if (found != columnByKey.end())
        return found->second;
    columns.push_back({key, wanted, columnNamesTaken.claim(wanted)});
    for (auto& row : rows)
        row.values.resize(columns.size());
    return columnByKey[key] = columns.size() - 1;
}

std::uint32_t FileTablePlan::pathBelow(std::optional<std::uint32_t> parent,
                                       const std::string& name) {
    auto key = std::make_pair(parent ? std::int64_t(*parent) : -1, name);
    const auto found = m_pathByStep.find(key);
    if (found != m_pathByStep.end())
        return found->second;
    const auto path = static_cast<std::uint32_t>(m_paths.size());
    m_paths.push_back({parent, name});
    m_pathByStep.emplace(std::move(key), path);
    return path;
}

std::string FileTablePlan::pathText(std::uint32_t path) const {
    // Gathered from the end, so that a path of any depth costs only what it keeps.
    std::vector<const std::string*> names;
    size_t bytes = 0;
    bool shortened = false;
    for (std::optional<std::uint32_t> at = path; at; at = m_paths[*at].parent) {
        const std::string& name = m_paths[*at].name;
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

std::string tableNameFor(const std::string& element) {
    const bool reserved =
        QString::fromStdString(element).startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
    return reserved ? "_" + element : element;
}

FileTablePlan planXmlTables(const QString& xmlPath, bool recordPaths) {
    TreeBuilder builder;
    if (std::optional<XmlError> error = readXmlFile(xmlPath, builder))
        throw XmlFileError(xmlPath, std::move(*error));
    const std::unique_ptr<Node> root = builder.takeRoot();
    TablePlanner planner(*root, recordPaths);
    return std::move(planner.plan());
}
