#include "xml/XmlReader.h"

#include "archive/SourceFile.h"
#include "xml/EncodingConverter.h"

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace {
constexpr qsizetype kChunk = 1 << 20;

// Turns Expat's callbacks into the import's nodes.
class ExpatAdapter {
public:
    explicit ExpatAdapter(XmlEvents& events, const char* encoding) : m_events(events) {
        m_parser = XML_ParserCreate(encoding);
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &ExpatAdapter::onStart, &ExpatAdapter::onEnd);
        XML_SetCharacterDataHandler(m_parser, &ExpatAdapter::onCharacters);
        XML_SetCdataSectionHandler(m_parser, &ExpatAdapter::onCdataStart,
                                   &ExpatAdapter::onCdataEnd);
        XML_SetCommentHandler(m_parser, &ExpatAdapter::onComment);
        XML_SetProcessingInstructionHandler(m_parser, &ExpatAdapter::onInstruction);
    }
    ~ExpatAdapter() { XML_ParserFree(m_parser); }
    ExpatAdapter(const ExpatAdapter&) = delete;
    ExpatAdapter& operator=(const ExpatAdapter&) = delete;

    // Feeds one piece of the document; gives false once the document is known to be broken.
    bool feed(const char* data, qsizetype size, bool last) {
        const bool parsed =
            XML_Parse(m_parser, data, static_cast<int>(size), last) == XML_STATUS_OK;
        if (m_failure)
            std::rethrow_exception(m_failure);
        // Not a fault of the document: the file may well read where more memory is free.
        if (!parsed && XML_GetErrorCode(m_parser) == XML_ERROR_NO_MEMORY)
            throw std::bad_alloc();
        return parsed;
    }

    XmlError error() const {
        if (m_namespaceError)
            return *m_namespaceError;
        return {QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser))),
                static_cast<qint64>(XML_GetCurrentLineNumber(m_parser)),
                static_cast<qint64>(XML_GetCurrentColumnNumber(m_parser)) + 1};
    }

private:
    static ExpatAdapter& self(void* data) { return *static_cast<ExpatAdapter*>(data); }
    // Runs one callback's work. Nothing may leave a callback into the parser's C code: a
    // failure is kept, the parse stopped, and the failure raised again once the parser has
    // returned. A stopped parse may still deliver the end of the element it stopped in, which
    // the events never saw begin, so nothing more is handed on.
    template <typename Work> static void handle(void* data, Work work) {
        ExpatAdapter& adapter = self(data);
        if (adapter.m_namespaceError || adapter.m_failure)
            return;
        try {
            work(adapter);
        } catch (...) {
            adapter.m_failure = std::current_exception();
            XML_StopParser(adapter.m_parser, XML_FALSE);
        }
    }

    // The prefix of a qualified name such as "inv:item"; "" for a name that has none, or that
    // is no qualified name at all (":", "a:b:c"), which plain XML allows.
    static std::string_view prefixOf(std::string_view name) {
        const size_t colon = name.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon + 1 == name.size() ||
            name.find(':', colon + 1) != std::string_view::npos)
            return {};
        return name.substr(0, colon);
    }

    bool declares(std::string_view prefix) const {
        if (prefix.empty() || prefix == "xml" || prefix == "xmlns")
            return true;
        const auto found = m_inScope.find(std::string(prefix));
        return found != m_inScope.end() && found->second > 0;
    }

    // Takes the element's namespace declarations into scope and checks that every prefix it
    // uses is declared, as a document object does; stops the parse at one that is not.
    bool prefixesDeclared(std::string_view name, const XML_Char** attributes) {
        for (const XML_Char** a = attributes; *a; a += 2)
            if (std::string_view attribute = a[0]; attribute.starts_with("xmlns:")) {
                m_prefixes.emplace_back(m_depth, std::string(attribute.substr(6)));
                ++m_inScope[m_prefixes.back().second];
            }
        std::string_view undeclared;
        if (!declares(prefixOf(name)))
            undeclared = prefixOf(name);
        for (const XML_Char** a = attributes; *a && undeclared.empty(); a += 2)
            if (!declares(prefixOf(a[0])))
                undeclared = prefixOf(a[0]);
        if (undeclared.empty())
            return true;
        m_namespaceError =
            XmlError{QStringLiteral("the namespace prefix \"%1\" is not declared")
                         .arg(QString::fromUtf8(undeclared.data(), qsizetype(undeclared.size()))),
                     static_cast<qint64>(XML_GetCurrentLineNumber(m_parser)),
                     static_cast<qint64>(XML_GetCurrentColumnNumber(m_parser)) + 1};
        XML_StopParser(m_parser, XML_FALSE);
        return false;
    }

    void flushText() {
        if (m_text.empty())
            return;
        // Between every two tags of an indented document: the test is inlined, not called.
        const bool blank =
            std::all_of(m_text.begin(), m_text.end(), [](char c) { return isXmlWhitespace(c); });
        if (m_depth > 0) {
            if (blank)
                m_events.whitespace(m_text);
            else
                m_events.text(m_text);
        }
        m_text.clear();
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.flushText();
            ++adapter.m_depth;
            if (!adapter.prefixesDeclared(name, attributes))
                return;
            adapter.m_events.startElement(name, attributes);
        });
    }
    static void onEnd(void* data, const XML_Char*) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.flushText();
            while (!adapter.m_prefixes.empty() &&
                   adapter.m_prefixes.back().first == adapter.m_depth) {
                --adapter.m_inScope[adapter.m_prefixes.back().second];
                adapter.m_prefixes.pop_back();
            }
            --adapter.m_depth;
            adapter.m_events.endElement();
        });
    }
    static void onCharacters(void* data, const XML_Char* characters, int length) {
        handle(data, [&](ExpatAdapter& adapter) {
            (adapter.m_inCdata ? adapter.m_cdata : adapter.m_text)
                .append(characters, static_cast<size_t>(length));
        });
    }
    static void onCdataStart(void* data) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.flushText();
            adapter.m_inCdata = true;
        });
    }
    static void onCdataEnd(void* data) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.m_inCdata = false;
            if (adapter.m_depth > 0)
                adapter.m_events.cdata(adapter.m_cdata);
            adapter.m_cdata.clear();
        });
    }
    static void onComment(void* data, const XML_Char* text) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.flushText();
            if (adapter.m_depth > 0)
                adapter.m_events.comment(text);
        });
    }
    static void onInstruction(void* data, const XML_Char* target, const XML_Char* text) {
        handle(data, [&](ExpatAdapter& adapter) {
            adapter.flushText();
            if (adapter.m_depth > 0)
                adapter.m_events.processingInstruction(target, text);
        });
    }

    XML_Parser m_parser;
    XmlEvents& m_events;
    // The prefixes declared by the open elements, with the depth of the element that declared
    // each.
    std::vector<std::pair<int, std::string>> m_prefixes;
    // How many open elements declare each prefix, so that a look-up never walks them all.
    std::unordered_map<std::string, int> m_inScope;
    std::optional<XmlError> m_namespaceError;
    std::exception_ptr m_failure;
    std::string m_text;
    std::string m_cdata;
    bool m_inCdata = false;
    int m_depth = 0;
};

// The encoding named in the XML declaration at the start of `head`; "" when there is none.
std::string declaredEncoding(std::string_view head) {
    if (!head.starts_with("<?xml"))
        return {};
    const size_t end = head.find("?>");
    const std::string_view declaration = head.substr(0, end);
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos)
        return {};
    const size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(declaration.substr(at + 1, close - at - 1));
}

// The encodings the parser reads itself, by the name it knows them by, under each spelling a
// declaration may use: those the parser takes as they are written, and others that conversion
// libraries accept too, which the parser is told by its own name.
struct EncodingSpelling {
    std::string_view spelling;
    std::string_view encoding;
    bool parserTakesIt;
};
constexpr EncodingSpelling kParserEncodings[] = {
    {"UTF-8", "UTF-8", true},           {"UTF-16", "UTF-16", true},
    {"UTF-16LE", "UTF-16LE", true},     {"UTF-16BE", "UTF-16BE", true},
    {"ISO-8859-1", "ISO-8859-1", true}, {"US-ASCII", "US-ASCII", true},
    {"LATIN1", "ISO-8859-1", true},     {"ASCII", "US-ASCII", true},
    {"UCS-2", "UTF-16", false},
};

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The letters and digits of a spelling in capitals: "utf_16" and "UTF-16" both give "UTF16".
std::string spellingKey(std::string_view spelling) {
    std::string key;
    for (const char c : spelling)
        if (c != '-' && c != '_' && c != ' ')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

bool expatReadsItself(std::string_view encoding) {
    if (encoding.empty())
        return true;
    const std::string upper = upperCase(encoding);
    return std::any_of(std::begin(kParserEncodings), std::end(kParserEncodings),
                       [&](const EncodingSpelling& known) {
                           return known.parserTakesIt && known.spelling == upper;
                       });
}

// Whether the bytes begin the way a document without a byte-order mark or declaration in an
// 8-bit encoding cannot: a byte-order mark, or UTF-16 text.
bool startsAsUnicode(std::string_view head) {
    return head.starts_with("\xEF\xBB\xBF") || head.starts_with("\xFF\xFE") ||
           head.starts_with("\xFE\xFF") || head.starts_with(std::string_view("<\0", 2)) ||
           head.starts_with(std::string_view("\0<", 2));
}

// Reads a document from `next` (which gives "" at its end) and parses it.
// UTF-32, with or without a byte-order mark, which the parser does not read itself; "" for
// any other start.
std::string utf32Encoding(std::string_view head) {
    if (head.starts_with(std::string_view("\0\0\xFE\xFF", 4)) ||
        head.starts_with(std::string_view("\0\0\0<", 4)))
        return "UTF-32BE";
    if (head.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
        head.starts_with(std::string_view("<\0\0\0", 4)))
        return "UTF-32LE";
    return {};
}

// The name the parser knows for an encoding that it reads itself, under any of its spellings
// ("utf16", "utf_16", "Latin_1", "us_ascii"); "" for any other encoding.
std::string parserEncodingName(std::string_view name) {
    const std::string key = spellingKey(name);
    for (const EncodingSpelling& known : kParserEncodings)
        if (spellingKey(known.spelling) == key)
            return std::string(known.encoding);
    return {};
}

bool namesUtf8(std::string_view encoding) {
    return parserEncodingName(encoding) == "UTF-8";
}

// Whether UTF-16 text (its byte-order mark or its first "<") is little-endian.
bool littleEndianUtf16(std::string_view head) {
    return head.starts_with("\xFF\xFE") || head.starts_with(std::string_view("<\0", 2));
}

// The start of UTF-16 text as far as its characters are ASCII, one byte each: enough to read
// the declaration at its start.
std::string asciiOfUtf16(std::string_view head) {
    const size_t low = littleEndianUtf16(head) ? 0 : 1;
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
        head.remove_prefix(2);
    std::string ascii;
    for (size_t at = 0; at + 1 < head.size() && ascii.size() < 512; at += 2) {
        const auto character = static_cast<unsigned char>(head[at + low]);
        if (head[at + 1 - low] != 0 || character >= 0x80)
            break;
        ascii += static_cast<char>(character);
    }
    return ascii;
}

template <typename NextPiece>
std::optional<XmlError> parse(std::string_view head, NextPiece next, XmlEvents& events) {
    std::string encoding = utf32Encoding(head);
    // Another spelling of an encoding the parser reads itself, which it would not know: the
    // parser is told the encoding by its own name, which then stands for the declaration.
    std::string respelled;
    if (head.starts_with("\xEF\xBB\xBF")) {
        // A byte-order mark and a declaration that disagree leave the text's meaning unknown.
        const std::string declared = declaredEncoding(head.substr(3));
        if (!declared.empty() && !namesUtf8(declared))
            return XmlError{QStringLiteral("the byte-order mark says UTF-8 but the declaration "
                                           "says %1")
                                .arg(QString::fromStdString(declared)),
                            1, 1};
        if (!declared.empty() && !expatReadsItself(declared))
            respelled = "UTF-8";
    } else if (encoding.empty() && startsAsUnicode(head)) {
        const std::string declared = declaredEncoding(asciiOfUtf16(head));
        if (!expatReadsItself(declared) && parserEncodingName(declared).starts_with("UTF-16"))
            respelled = littleEndianUtf16(head) ? "UTF-16LE" : "UTF-16BE";
    } else if (encoding.empty()) {
        encoding = declaredEncoding(head);
        const std::string known = parserEncodingName(encoding);
        if (!expatReadsItself(encoding) && !known.empty() && !known.starts_with("UTF-16")) {
            respelled = known;
            encoding.clear();
        }
    }
    if (expatReadsItself(encoding)) {
        ExpatAdapter adapter(events, respelled.empty() ? nullptr : respelled.c_str());
        for (std::string_view piece = head;; piece = next()) {
            const bool last = piece.empty();
            if (!adapter.feed(piece.data(), static_cast<qsizetype>(piece.size()), last))
                return adapter.error();
            if (last)
                return std::nullopt;
        }
    }
    EncodingConverter converter(encoding);
    if (!converter.ok())
        return XmlError{QStringLiteral("the encoding %1 is not supported")
                            .arg(QString::fromStdString(encoding)),
                        1, 1};
    // The declaration still names the old encoding; the parser is told the text is UTF-8.
    ExpatAdapter adapter(events, "UTF-8");
    std::string converted;
    qint64 lines = 1;
    for (std::string_view piece = head;; piece = next()) {
        const bool last = piece.empty();
        if (!converter.convert(piece, last, converted))
            return XmlError{QStringLiteral("a byte sequence that is not ") +
                                QString::fromStdString(encoding) + QStringLiteral(" text"),
                            lines + std::count(converted.begin(), converted.end(), '\n'), 1};
        lines += std::count(converted.begin(), converted.end(), '\n');
        if (!adapter.feed(converted.data(), static_cast<qsizetype>(converted.size()), last))
            return adapter.error();
        if (last)
            return std::nullopt;
    }
}

} // namespace

std::optional<XmlError> readXmlFile(const QString& path, XmlEvents& events,
                                    const ReadProgress& progress) {
    const OpenedSource source = openSource(path);
    if (!source.file)
        return XmlError{source.failure.reason, 0, 0, source.failure.problem};
    QByteArray piece(kChunk, Qt::Uninitialized);
    std::optional<SourceFailure> readError;
    const qint64 size = progress ? source.file->size() : 0;
    qint64 read = 0;
    auto next = [&]() -> std::string_view {
        const qint64 got = source.file->read(piece.data(), kChunk);
        if (got < 0) {
            readError = source.file->failure();
            return {};
        }
        read += got;
        if (progress && got > 0)
            progress(read, size);
        return {piece.constData(), static_cast<size_t>(got)};
    };
    const std::string head(next());
    // A failure to read outweighs whatever the parser made of the text before it: what it
    // read may be a part only, or, from an archive, not the document at all.
    std::optional<XmlError> error;
    if (!readError)
        error = parse(head, next, events);
    if (readError)
        return XmlError{readError->reason, 0, 0, readError->problem};
    return error;
}

std::optional<XmlError> readXmlBytes(std::string_view document, XmlEvents& events) {
    return parse(
        document, []() -> std::string_view { return {}; }, events);
}
