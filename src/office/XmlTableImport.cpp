#include "office/XmlTableImport.h"

#include "base/RuntimeError.h"
#include "office/DatabaseEngine.h"
#include "xml/XmlReader.h"

#include <QSet>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <sqlite3.h>
#include <string>
#include <unordered_set>
#include <vector>

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

// Names unique without regard to letter case, as the engine compares them: a name already
// taken gets the smallest free number appended.
class UniqueNames {
public:
    std::string claim(const std::string& wanted) {
        std::string name = wanted;
        for (int number = 1; m_folded.count(folded(name)); ++number)
            name = wanted + std::to_string(number);
        m_folded.insert(folded(name));
        return name;
    }
    void take(const std::string& name) { m_folded.insert(folded(name)); }

private:
    static std::string folded(const std::string& name) {
        return QString::fromStdString(name).toCaseFolded().toStdString();
    }

    std::unordered_set<std::string> m_folded;
};

// One table being made: its columns, found by a key of their own, and its rows.
struct Table {
    std::string baseName;
    std::vector<std::string> columnNames;
    std::map<std::string, size_t> columnByKey;
    UniqueNames columnNamesTaken;
    std::vector<std::vector<std::optional<std::string>>> rows;

    size_t column(const std::string& key, const std::string& wanted) {
        const auto found = columnByKey.find(key);
        if (found != columnByKey.end())
            return found->second;
        columnNames.push_back(columnNamesTaken.claim(wanted));
        for (auto& row : rows)
            row.resize(columnNames.size());
        return columnByKey[key] = columnNames.size() - 1;
    }
    void set(std::vector<std::optional<std::string>>& row, const std::string& key,
             const std::string& name, const std::string& value) {
        const size_t at = column(key, name);
        row.resize(columnNames.size());
        row[at] = value;
    }
};

class TablePlanner {
public:
    explicit TablePlanner(const Node& root) {
        survey(root);
        // A root without child elements is a record of its own.
        if (!root.isRecord())
            m_valued.insert(root.name);
        emitRows(root);
    }

    std::deque<Table>& tables() { return m_tables; }

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

    Table& table(const std::string& key, const std::string& name) {
        const auto found = m_tableByKey.find(key);
        if (found != m_tableByKey.end())
            return m_tables[found->second];
        m_tableByKey[key] = m_tables.size();
        m_tables.push_back(Table{name, {}, {}, {}, {}});
        return m_tables.back();
    }

    // Second pass: rows in document order, records before the records inside them.
    void emitRows(const Node& root) {
        std::vector<const Node*> pending{&root};
        while (!pending.empty()) {
            const Node& node = *pending.back();
            pending.pop_back();
            addRecord(node);
            for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
                if ((*child)->isRecord())
                    pending.push_back(child->get());
        }
    }

    void addRecord(const Node& node) {
        if (m_valued.count(node.name)) {
            Table& records = table("record:" + node.name, node.name);
            std::vector<std::optional<std::string>> row;
            for (const Node::Attribute& a : node.attributes)
                records.set(row, "attribute:" + a.qualifiedName, a.name, a.value);
            if (node.hasText)
                records.set(row, "text", "#text", node.text);
            const std::set<std::string>& repeated = m_repeated[node.name];
            for (const auto& child : node.children) {
                if (child->isRecord())
                    continue;
                if (repeated.count(child->name)) {
                    addRepeatedValue(*child);
                    continue;
                }
                records.set(row, "child:" + child->name, child->name, child->text);
                for (const Node::Attribute& a : child->attributes)
                    records.set(row, "child:" + child->name + "@" + a.qualifiedName,
                                child->name + "@" + a.name, a.value);
            }
            row.resize(records.columnNames.size());
            records.rows.push_back(std::move(row));
        }
    }

    void addRepeatedValue(const Node& child) {
        Table& values = table("repeated:" + child.name, child.name);
        std::vector<std::optional<std::string>> row;
        for (const Node::Attribute& a : child.attributes)
            values.set(row, "attribute:" + a.qualifiedName, a.name, a.value);
        values.set(row, "value", child.name, child.text);
        values.rows.push_back(std::move(row));
    }

    std::set<std::string> m_valued;
    std::map<std::string, std::set<std::string>> m_repeated;
    // A deque keeps every table where it is while others are added.
    std::deque<Table> m_tables;
    std::map<std::string, size_t> m_tableByKey;
};

// Gives the table's name, or "" when the table holds nothing and so was not made.
std::string writeTable(DatabaseFile& database, Table& table, UniqueNames& takenNames) {
    // A record whose every value repeats keeps them all in tables of their own.
    if (table.columnNames.empty())
        return {};
    // The engine keeps names that begin with "sqlite_" for itself.
    const bool reserved = QString::fromStdString(table.baseName)
                              .startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
    const std::string name = takenNames.claim(reserved ? "_" + table.baseName : table.baseName);
    QStringList columns;
    for (const std::string& column : table.columnNames)
        columns << quotedIdentifier(QString::fromStdString(column)) + QStringLiteral(" TEXT");
    const QString quotedName = quotedIdentifier(QString::fromStdString(name));
    database.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName, columns.join(", ")));

    QStringList placeholders;
    for (size_t i = 0; i < table.columnNames.size(); ++i)
        placeholders << QStringLiteral("?");
    const Statement statement = database.prepare(
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quotedName, placeholders.join(", ")));
    sqlite3_stmt* insert = statement.get();
    for (auto& row : table.rows) {
        row.resize(table.columnNames.size());
        for (size_t i = 0; i < row.size(); ++i) {
            const int at = static_cast<int>(i) + 1;
            if (row[i])
                sqlite3_bind_text(insert, at, row[i]->data(), static_cast<int>(row[i]->size()),
                                  SQLITE_STATIC);
            else
                sqlite3_bind_null(insert, at);
        }
        const int code = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (code != SQLITE_DONE)
            database.raise(code, QStringLiteral("store a row"));
    }
    return name;
}
} // namespace

namespace {
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

QStringList importXmlIntoTables(DatabaseFile& database, const QString& xmlPath) {
    TreeBuilder builder;
    if (std::optional<XmlError> error = readXmlFile(xmlPath, builder))
        throw XmlFileError(xmlPath, std::move(*error));
    const std::unique_ptr<Node> root = builder.takeRoot();
    TablePlanner planner(*root);

    UniqueNames takenNames;
    for (const QString& existing : database.tableNames())
        takenNames.take(existing.toStdString());
    // A savepoint lets a file that fails half-way leave nothing behind, also inside a longer
    // transaction of the caller's.
    database.execute(QStringLiteral("SAVEPOINT xml_import"));
    QStringList made;
    try {
        for (Table& table : planner.tables())
            if (const std::string name = writeTable(database, table, takenNames); !name.empty())
                made << QString::fromStdString(name);
        database.execute(QStringLiteral("RELEASE xml_import"));
    } catch (...) {
        sqlite3_exec(database.handle(), "ROLLBACK TO xml_import; RELEASE xml_import", nullptr,
                     nullptr, nullptr);
        throw;
    }
    return made;
}
