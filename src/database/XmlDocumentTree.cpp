#include "database/XmlDocumentTree.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {
// Raised inside the reader when the document is larger than the tree numbers; the reader stops
// and raises it again once the parser has returned.
struct TooLarge : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr size_t kTextBlockBytes = size_t(16) << 20;
} // namespace

class XmlDocumentTreeBuilder final : public XmlEvents {
public:
    explicit XmlDocumentTreeBuilder(XmlDocumentTree& tree) : m_tree(tree) {}

    void startElement(std::string_view name, const char* const* attributes) override {
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
        m_tree.m_elements.push_back(
            {m_tree.intern(localXmlName(name)), 0, firstAttribute, XmlDocumentTree::kNoText});
        m_open.push_back(OpenElement{element, {}, {}, false});
    }
    void endElement() override {
        OpenElement& closing = m_open.back();
        XmlDocumentTree::Node& node = m_tree.m_elements[closing.element];
        node.end = static_cast<XmlDocumentTree::Element>(m_tree.m_elements.size());
        if (!std::all_of(closing.text.begin(), closing.text.end(), isXmlWhitespace)) {
            node.text = static_cast<std::uint32_t>(m_tree.m_texts.size());
            m_tree.m_texts.push_back(m_tree.keep(closing.text));
        }
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

private:
    struct OpenElement {
        XmlDocumentTree::Element element;
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

    XmlDocumentTree& m_tree;
    std::vector<OpenElement> m_open;
};

XmlDocumentTree::XmlDocumentTree() = default;
XmlDocumentTree::XmlDocumentTree(XmlDocumentTree&&) noexcept = default;
XmlDocumentTree& XmlDocumentTree::operator=(XmlDocumentTree&&) noexcept = default;
XmlDocumentTree::~XmlDocumentTree() = default;

namespace {
template <typename Read> std::optional<XmlError> readInto(XmlDocumentTree& tree, Read read) {
    tree = XmlDocumentTree();
    XmlDocumentTreeBuilder builder(tree);
    std::optional<XmlError> error;
    try {
        error = read(builder);
    } catch (const TooLarge& tooLarge) {
        error = XmlError{QString::fromUtf8(tooLarge.what()), 0, 0};
    }
    if (error)
        tree = XmlDocumentTree();
    return error;
}
} // namespace

std::optional<XmlError> XmlDocumentTree::read(const QString& path) {
    return readInto(*this, [&](XmlEvents& events) { return readXmlFile(path, events); });
}

std::optional<XmlError> XmlDocumentTree::read(std::string_view document) {
    return readInto(*this, [&](XmlEvents& events) { return readXmlBytes(document, events); });
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
