#pragma once

#include "xml/XmlReader.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ElementKinds;

// The elements of a document, held compactly so that the tables of a file of a gigabyte can be
// planned and stored by walking it more than once: elements by number in document order (an
// element's descendants follow it), names by number, and the texts in large blocks of their
// own. An element's text is its runs of text and character data joined exactly as they stand,
// whitespace between two runs included, whatever comments or instructions stood between them;
// whitespace before the first run of a stretch, or before a child element, only lays the
// document out. Text of whitespace alone is no value. Names are without their prefixes, but an
// attribute also keeps its name as written, so that two of one local name in different
// namespaces stay two values. Namespace declarations are not attributes here.
//
// An element of a kind that mixes text with child elements (see ElementKinds) can be kept
// whole instead: its text is then every run of text and character data inside it, its
// descendants' included, in document order and exactly as written, whitespace and all; its
// descendants are not elements of the tree, and its content as written, tags, attributes,
// comments and all, is kept beside as its markup when it has child elements.
class XmlDocumentTree {
public:
    using Element = std::uint32_t;
    using Name = std::uint32_t;

    struct Attribute {
        Name qualifiedName;
        Name name;
        std::string_view value;
    };

    XmlDocumentTree();
    XmlDocumentTree(XmlDocumentTree&&) noexcept;
    XmlDocumentTree& operator=(XmlDocumentTree&&) noexcept;
    ~XmlDocumentTree();

    // Reads a file; gives the reader's error when it is not well-formed or cannot be read, or
    // holds more elements or names than can be numbered. Elements of the kinds that
    // `wholeKinds` calls mixed are kept whole.
    std::optional<XmlError> read(const QString& path, const ElementKinds* wholeKinds = nullptr);
    std::optional<XmlError> read(std::string_view document,
                                 const ElementKinds* wholeKinds = nullptr);

    // The document element is element 0; a tree read from a failed file has none.
    Element elementCount() const { return static_cast<Element>(m_elements.size()); }
    Name name(Element element) const { return m_elements[element].name; }
    // One past the element's last descendant: its children are element + 1 onwards, each
    // followed by its own descendants.
    Element end(Element element) const { return m_elements[element].end; }
    bool hasChildren(Element element) const { return end(element) > element + 1; }
    std::span<const Attribute> attributes(Element element) const;
    std::optional<std::string_view> text(Element element) const;
    // The content of an element kept whole, as written, when it had child elements.
    std::optional<std::string_view> markup(Element element) const;

    // Fewer than 2^30 names, so that a pair of them makes one number.
    static constexpr Name kMaxNames = Name(1) << 30;
    Name nameCount() const { return static_cast<Name>(m_names.size()); }
    const std::string& nameText(Name name) const { return *m_names[name]; }

private:
    friend class XmlDocumentTreeBuilder;

    static constexpr std::uint32_t kNoText = UINT32_MAX;

    struct Node {
        Name name;
        Element end;
        std::uint32_t firstAttribute;
        std::uint32_t text;
    };

    Name intern(std::string_view name);
    std::string_view keep(std::string_view text);
    std::uint32_t addText(std::string_view text);

    std::vector<Node> m_elements;
    std::vector<Attribute> m_attributes;
    std::vector<std::string_view> m_texts;
    // The markup of the elements kept whole, by element in increasing order: no element kept
    // whole holds another.
    std::vector<std::pair<Element, std::uint32_t>> m_markups;
    // Texts are copied into blocks that never move, so the views into them stay valid.
    struct TextBlock {
        std::unique_ptr<char[]> bytes;
        size_t used = 0;
        size_t capacity = 0;
    };
    std::vector<TextBlock> m_textBlocks;
    std::vector<std::unique_ptr<std::string>> m_names;
    std::unordered_map<std::string_view, Name> m_nameNumbers;
};
