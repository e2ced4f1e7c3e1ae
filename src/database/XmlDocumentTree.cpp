#include "database/XmlDocumentTree.h"

#include "database/ElementKinds.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace {
// Raised inside the reader when the document is larger than the tree numbers; the reader stops
// and raises it again once the parser has returned.
struct TooLarge : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr size_t kTextBlockBytes = size_t(16) << 20;

void appendEscaped(std::string& into, std::string_view text, bool attribute) {
    for (const char c : text) {
        switch (c) {
        case '&':
            into += "&amp;";
            break;
        case '<':
            into += "&lt;";
            break;
        case '>':
            into += attribute ? ">" : "&gt;";
            break;
        case '"':
            into += attribute ? "&quot;" : "\"";
            break;
        // As references where a reader would change them: a carriage return anywhere, white
        // space inside an attribute's value.
        case '\r':
            into += "&#13;";
            break;
        case '\t':
            into += attribute ? "&#9;" : "\t";
            break;
        case '\n':
            into += attribute ? "&#10;" : "\n";
            break;
        default:
            into += c;
        }
    }
}

// An element kept whole, while it is read: its text and its content as written.
class WholeElement {
public:
    const std::string& text() const { return m_text; }
    // The content as written, when it had child elements.
    const std::string* markup() const { return m_hasChildren ? &m_markup : nullptr; }

    void startElement(std::string_view name, const char* const* attributes) {
        m_hasChildren = true;
        m_markup += '<';
        const size_t at = m_markup.size();
        m_markup += name;
        // Namespace declarations too: the markup is the content as written.
        for (const char* const* a = attributes; a && *a; a += 2) {
            m_markup.append(" ").append(a[0]).append("=\"");
            appendEscaped(m_markup, a[1], true);
            m_markup += '"';
        }
        m_markup += '>';
        m_open.push_back({at, name.size(), m_markup.size()});
    }
    // False when the element itself ends.
    bool endElement() {
        if (m_open.empty())
            return false;
        const OpenChild closing = m_open.back();
        m_open.pop_back();
        if (m_markup.size() == closing.tagEnd) {
            m_markup.insert(m_markup.size() - 1, 1, '/');
        } else {
            const std::string name = m_markup.substr(closing.name, closing.length);
            m_markup.append("</").append(name).append(">");
        }
        return true;
    }
    void characters(std::string_view value) {
        m_text += value;
        appendEscaped(m_markup, value, false);
    }
    void cdata(std::string_view value) {
        m_text += value;
        m_markup.append("<![CDATA[").append(value).append("]]>");
    }
    void comment(std::string_view value) { m_markup.append("<!--").append(value).append("-->"); }
    void processingInstruction(std::string_view target, std::string_view data) {
        m_markup.append("<?").append(target);
        if (!data.empty())
            m_markup.append(" ").append(data);
        m_markup.append("?>");
    }

private:
    // A child being read: where its name stands in the markup, and where its start tag ends.
    struct OpenChild {
        size_t name;
        size_t length;
        size_t tagEnd;
    };

    std::string m_text;
    std::string m_markup;
    std::vector<OpenChild> m_open;
    bool m_hasChildren = false;
};
} // namespace

class XmlDocumentTreeBuilder final : public XmlEvents {
public:
    XmlDocumentTreeBuilder(XmlDocumentTree& tree, const ElementKinds* wholeKinds)
        : m_tree(tree), m_kinds(wholeKinds && wholeKinds->anyMixed() ? wholeKinds : nullptr) {}

    void startElement(std::string_view name, const char* const* attributes) override {
        if (m_whole) {
            m_whole->startElement(name, attributes);
            return;
        }
        if (!m_open.empty())
            m_open.back().endStretch();
        if (m_tree.m_elements.size() >= UINT32_MAX - 1)
            throw TooLarge("it holds more elements than can be imported (4,294,967,294)");
        const auto firstAttribute = static_cast<std::uint32_t>(m_tree.m_attributes.size());
        for (const char* const* a = attributes; a && *a; a += 2) {
            if (isNamespaceDeclaration(a[0]))
                continue;
            if (m_tree.m_attributes.size() >= UINT32_MAX - 1)
                throw TooLarge("it holds more attributes than can be imported (4,294,967,294)");
            m_tree.m_attributes.push_back(
                {m_tree.intern(a[0]), m_tree.intern(localXmlName(a[0])), m_tree.keep(a[1])});
        }
        const auto element = static_cast<XmlDocumentTree::Element>(m_tree.m_elements.size());
        const XmlDocumentTree::Name local = m_tree.intern(localXmlName(name));
        m_tree.m_elements.push_back({local, 0, firstAttribute, XmlDocumentTree::kNoText});
        const ElementKinds::Kind kind = kindOf(local);
        m_open.push_back(OpenElement{element, kind, {}, {}, false});
        if (kind != ElementKinds::kNone && m_kinds->mixed(kind))
            m_whole.emplace();
    }
    void endElement() override {
        if (m_whole && m_whole->endElement())
            return;
        OpenElement& closing = m_open.back();
        XmlDocumentTree::Node& node = m_tree.m_elements[closing.element];
        node.end = static_cast<XmlDocumentTree::Element>(m_tree.m_elements.size());
        const std::string& text = m_whole ? m_whole->text() : closing.text;
        if (!std::all_of(text.begin(), text.end(), isXmlWhitespace))
            node.text = m_tree.addText(text);
        if (m_whole) {
            if (const std::string* markup = m_whole->markup())
                m_tree.m_markups.emplace_back(closing.element, m_tree.addText(*markup));
            m_whole.reset();
        }
        m_open.pop_back();
    }
    void text(std::string_view value) override {
        if (m_whole)
            m_whole->characters(value);
        else
            m_open.back().run(value);
    }
    void cdata(std::string_view value) override {
        if (m_whole)
            m_whole->cdata(value);
        else
            m_open.back().run(value);
    }
    void whitespace(std::string_view value) override {
        if (m_whole)
            m_whole->characters(value);
        else if (m_open.back().stretchHasText)
            m_open.back().pendingWhitespace.append(value);
    }
    void comment(std::string_view value) override {
        if (m_whole)
            m_whole->comment(value);
    }
    void processingInstruction(std::string_view target, std::string_view data) override {
        if (m_whole)
            m_whole->processingInstruction(target, data);
    }

private:
    struct OpenElement {
        XmlDocumentTree::Element element;
        ElementKinds::Kind kind;
        // The element's text so far; it goes into the tree when the element closes.
        std::string text;
        // Whitespace after a run, kept until it is known whether another run follows.
        std::string pendingWhitespace;
        bool stretchHasText = false;

        void run(std::string_view value) {
            text.append(pendingWhitespace).append(value);
            pendingWhitespace.clear();
            stretchHasText = true;
        }
        void endStretch() {
            pendingWhitespace.clear();
            stretchHasText = false;
        }
    };

    // The kind of an element named `name` inside the innermost open one; none without kinds or
    // below an element of a kind no surveyed file has.
    ElementKinds::Kind kindOf(XmlDocumentTree::Name name) {
        if (!m_kinds)
            return ElementKinds::kNone;
        const ElementKinds::Kind parent = m_open.empty() ? ElementKinds::kNone : m_open.back().kind;
        if (!m_open.empty() && parent == ElementKinds::kNone)
            return ElementKinds::kNone;
        const std::uint64_t key =
            (std::uint64_t(parent == ElementKinds::kNone ? 0 : parent + 1) << 32) | name;
        const auto found = m_kindByStep.find(key);
        if (found != m_kindByStep.end())
            return found->second;
        const ElementKinds::Kind kind = m_kinds->find(parent, m_tree.nameText(name));
        m_kindByStep.emplace(key, kind);
        return kind;
    }

    XmlDocumentTree& m_tree;
    const ElementKinds* m_kinds;
    std::unordered_map<std::uint64_t, ElementKinds::Kind> m_kindByStep;
    std::vector<OpenElement> m_open;
    std::optional<WholeElement> m_whole;
};

XmlDocumentTree::XmlDocumentTree() = default;
XmlDocumentTree::XmlDocumentTree(XmlDocumentTree&&) noexcept = default;
XmlDocumentTree& XmlDocumentTree::operator=(XmlDocumentTree&&) noexcept = default;
XmlDocumentTree::~XmlDocumentTree() = default;

namespace {
template <typename Read>
std::optional<XmlError> readInto(XmlDocumentTree& tree, const ElementKinds* wholeKinds, Read read) {
    tree = XmlDocumentTree();
    XmlDocumentTreeBuilder builder(tree, wholeKinds);
    std::optional<XmlError> error;
    try {
        error = read(builder);
    } catch (const TooLarge& tooLarge) {
        error = XmlError{QString::fromUtf8(tooLarge.what()), 0, 0, FileProblem::Failed};
    }
    if (error)
        tree = XmlDocumentTree();
    return error;
}
} // namespace

std::optional<XmlError> XmlDocumentTree::read(const QString& path, const ElementKinds* wholeKinds) {
    return readInto(*this, wholeKinds,
                    [&](XmlEvents& events) { return readXmlFile(path, events); });
}

std::optional<XmlError> XmlDocumentTree::read(std::string_view document,
                                              const ElementKinds* wholeKinds) {
    return readInto(*this, wholeKinds,
                    [&](XmlEvents& events) { return readXmlBytes(document, events); });
}

std::span<const XmlDocumentTree::Attribute> XmlDocumentTree::attributes(Element element) const {
    const std::uint32_t first = m_elements[element].firstAttribute;
    const size_t last = element + 1 < m_elements.size() ? m_elements[element + 1].firstAttribute
                                                        : m_attributes.size();
    return {m_attributes.data() + first, last - first};
}

std::optional<std::string_view> XmlDocumentTree::text(Element element) const {
    const std::uint32_t text = m_elements[element].text;
    if (text == kNoText)
        return std::nullopt;
    return m_texts[text];
}

std::optional<std::string_view> XmlDocumentTree::markup(Element element) const {
    const auto found = std::lower_bound(
        m_markups.begin(), m_markups.end(), element,
        [](const std::pair<Element, std::uint32_t>& kept, Element e) { return kept.first < e; });
    if (found == m_markups.end() || found->first != element)
        return std::nullopt;
    return m_texts[found->second];
}

std::uint32_t XmlDocumentTree::addText(std::string_view text) {
    // Each element has a text and at most one markup, so elements alone never use them all.
    if (m_texts.size() >= kNoText)
        throw TooLarge("it holds more texts than can be imported (4,294,967,295)");
    const auto index = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(keep(text));
    return index;
}

XmlDocumentTree::Name XmlDocumentTree::intern(std::string_view name) {
    const auto found = m_nameNumbers.find(name);
    if (found != m_nameNumbers.end())
        return found->second;
    if (m_names.size() >= kMaxNames)
        throw TooLarge("it holds more distinct names than can be imported (1,073,741,824)");
    const auto number = static_cast<Name>(m_names.size());
    const std::string& kept = *m_names.emplace_back(std::make_unique<std::string>(name));
    m_nameNumbers.emplace(kept, number);
    return number;
}

std::string_view XmlDocumentTree::keep(std::string_view text) {
    if (text.empty())
        return {};
    if (m_textBlocks.empty() ||
        m_textBlocks.back().capacity - m_textBlocks.back().used < text.size()) {
        // A text larger than a block gets a block of its own.
        const size_t capacity = std::max(kTextBlockBytes, text.size());
        // Left unset: a block's pages are taken only as texts fill them.
        m_textBlocks.push_back({std::unique_ptr<char[]>(new char[capacity]), 0, capacity});
    }
    TextBlock& block = m_textBlocks.back();
    char* at = block.bytes.get() + block.used;
    std::memcpy(at, text.data(), text.size());
    block.used += text.size();
    return {at, text.size()};
}
