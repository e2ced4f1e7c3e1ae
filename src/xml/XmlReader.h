#pragma once

#include "base/FileProblem.h"

#include <QString>

#include <functional>
#include <optional>
#include <string_view>

// The nodes of a document inside its root element, in document order, as the import reads
// them: adjacent character data joined into one text, whitespace-only text given apart, names
// with their prefixes, everything in UTF-8.
class XmlEvents {
public:
    virtual ~XmlEvents() = default;

    // An element opens; `attributes` holds name and value pairs and ends with a null.
    virtual void startElement(std::string_view name, const char* const* attributes) = 0;
    virtual void endElement() = 0;
    virtual void text(std::string_view value) = 0;
    // Text of whitespace alone, which most readers of a document leave out.
    virtual void whitespace(std::string_view) {}
    virtual void cdata(std::string_view value) = 0;
    virtual void comment(std::string_view value) = 0;
    virtual void processingInstruction(std::string_view target, std::string_view data) = 0;
};

// A name without its namespace prefix: "item" of "inv:item".
inline std::string_view localXmlName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Whether an attribute's name makes it a namespace declaration rather than a value.
inline bool isNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || name.starts_with("xmlns:");
}

// Whether a byte is one of XML's four whitespace characters.
inline bool isXmlWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Why a document could not be read: the parser's reason, and the line and the position in the
// line where it stopped (both from 1; 0 when the file could not be opened at all).
struct XmlError {
    QString reason;
    qint64 line = 0;
    qint64 position = 0;
    FileProblem problem = FileProblem::NotWellFormed;
};

// Reads an XML file, feeding its nodes to `events`. Encodings beyond UTF-8, UTF-16,
// ISO-8859-1 and US-ASCII (UTF-32 among them) are converted first; a byte-order mark is
// honoured, and one that contradicts the declaration is an error. A namespace prefix that is
// never declared makes the document unreadable, as it does for a document object. External
// entities are never loaded. Gives the error when the file is not well-formed or cannot be read.
// `path` is a listed path: a member of a zip archive ("a.zip!/b.xml") is read in place, and one
// that is refused or damaged gives the archive's reason. `progress`, when given, is told after
// each piece read how many bytes of how many the file has were read; what it raises ends the
// reading.
using ReadProgress = std::function<void(qint64 read, qint64 size)>;
std::optional<XmlError> readXmlFile(const QString& path, XmlEvents& events,
                                    const ReadProgress& progress = {});

// The same for a document held in memory.
std::optional<XmlError> readXmlBytes(std::string_view document, XmlEvents& events);
