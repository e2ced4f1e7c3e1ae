#include "xml/CsvConversion.h"

#include <algorithm>
#include <vector>

namespace {
constexpr size_t kFlushAt = 1 << 20;
constexpr std::string_view kLineEnd = "\r\n";

// Walks the document as it is read. An element's line can only be written once it is known
// whether it has children, which is at its first child or at its end; the path of the open
// elements is kept on a stack of our own, so depth costs no call stack.
class CsvFlattener final : public XmlEvents {
public:
    CsvFlattener(std::string separator, std::function<void(std::string_view)> write,
                 CsvLineObserver* observer = nullptr)
        : m_separator(std::move(separator)), m_write(std::move(write)), m_observer(observer) {}

    void startElement(std::string_view name, const char* const*) override {
        if (m_open.empty()) {
            m_path.assign(name);
        } else {
            childArrives();
        }
        m_open.push_back({std::string(name), false, m_path.size(), ++m_elements});
    }

    void endElement() override {
        const Open closing = std::move(m_open.back());
        m_open.pop_back();
        if (m_open.empty())
            return;
        if (closing.hasChildren)
            m_path.resize(closing.pathBefore);
        else
            leafLine(closing.name, {});
    }

    void text(std::string_view value) override {
        childArrives();
        m_out.append(m_path).append(m_separator);
        // The five characters "&#13;" are taken out of text values, wherever they stand.
        if (value.find("&#13;") == std::string_view::npos) {
            appendField(value);
            if (m_observer)
                observeText(value);
        } else {
            std::string kept;
            for (size_t from = 0;;) {
                const size_t at = value.find("&#13;", from);
                kept.append(value.substr(from, at - from));
                if (at == std::string_view::npos)
                    break;
                from = at + 5;
            }
            appendField(kept);
            if (m_observer)
                observeText(kept);
        }
        m_out.append(kLineEnd);
        flushIfLarge();
    }

    void cdata(std::string_view value) override {
        childArrives();
        leafLine("#cdata-section", value);
    }
    void comment(std::string_view value) override {
        childArrives();
        leafLine("#comment", value);
    }
    void processingInstruction(std::string_view target, std::string_view data) override {
        childArrives();
        leafLine(target, data);
    }

    void finish() {
        if (!m_out.empty())
            m_write(m_out);
        m_out.clear();
    }

private:
    struct Open {
        std::string name;
        bool hasChildren;
        size_t pathBefore;
        // Which element of the document it is, from 1.
        std::uint64_t number;
    };

    // A text is a line of its element: the names above the element, then its name.
    void observeText(std::string_view value) {
        const Open& element = m_open.back();
        const std::string_view above = m_open.size() > 1
                                           ? std::string_view(m_path).substr(0, element.pathBefore)
                                           : std::string_view();
        // The document element's own text stands below no element: 0 is never an element's.
        m_observer->line(above, element.name, value,
                         m_open.size() > 1 ? m_open[m_open.size() - 2].number : 0);
    }

    // The innermost open element turns out to have children: below the root, its name joins
    // the path that its children's lines carry.
    void childArrives() {
        Open& parent = m_open.back();
        if (parent.hasChildren)
            return;
        parent.hasChildren = true;
        if (m_open.size() > 1)
            m_path.append(m_separator).append(parent.name);
    }

    void leafLine(std::string_view name, std::string_view value) {
        m_out.append(m_path).append(m_separator).append(name).append(m_separator);
        appendField(value);
        m_out.append(kLineEnd);
        if (m_observer)
            m_observer->line(m_path, name, value, m_open.back().number);
        flushIfLarge();
    }

    // A value that holds the separator, a double quote or a line break goes in double quotes,
    // with its own double quotes doubled, so that it stays one field on one line; every other
    // value is written as it stands.
    void appendField(std::string_view value) {
        // One pass over the value: a search for any of a set of characters looks each of the
        // value's characters up in the set, several times as long.
        const char separator = m_separator.size() == 1 ? m_separator[0] : '"';
        const bool needsQuotes =
            std::any_of(value.begin(), value.end(),
                        [separator](char c) {
                            return c == '"' || c == '\r' || c == '\n' || c == separator;
                        }) ||
            (m_separator.size() > 1 && value.find(m_separator) != std::string_view::npos);
        if (!needsQuotes) {
            m_out.append(value);
            return;
        }
        m_out.push_back('"');
        for (char c : value) {
            if (c == '"')
                m_out.push_back('"');
            m_out.push_back(c);
        }
        m_out.push_back('"');
    }

    void flushIfLarge() {
        if (m_out.size() < kFlushAt)
            return;
        m_write(m_out);
        m_out.clear();
    }

    std::string m_separator;
    std::function<void(std::string_view)> m_write;
    CsvLineObserver* m_observer;
    std::uint64_t m_elements = 0;
    std::string m_path;
    std::vector<Open> m_open;
    std::string m_out;
};
} // namespace

std::optional<XmlError> ConvertToCSV(const QString& xmlPath, const std::string& separator,
                                     const std::function<void(std::string_view)>& write,
                                     CsvLineObserver* observer, const ReadProgress& progress) {
    CsvFlattener flattener(separator, write, observer);
    std::optional<XmlError> error = readXmlFile(xmlPath, flattener, progress);
    if (!error)
        flattener.finish();
    return error;
}

std::optional<XmlError> ConvertToCSV(std::string_view xmlDocument, const std::string& separator,
                                     std::string& csvText) {
    CsvFlattener flattener(separator, [&](std::string_view piece) { csvText.append(piece); });
    std::optional<XmlError> error = readXmlBytes(xmlDocument, flattener);
    if (!error)
        flattener.finish();
    return error;
}
