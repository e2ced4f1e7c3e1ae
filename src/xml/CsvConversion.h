#pragma once

#include "xml/XmlReader.h"

#include <QString>

#include <cstdint>

#include <functional>
#include <optional>
#include <string>

// Flattens a document into CSV text: one line for every value inside the root element, led by
// the names of the elements on the way down to it, joined by the separator, ending in CR LF.
// Text values lose every "&#13;"; comments, character-data sections, processing instructions
// and empty elements give a line with their name and value. A value that holds the separator, a
// double quote, CR or LF is written in double quotes with its double quotes doubled (RFC 4180);
// every other value as it stands. No header.
//
// Told of every line a flattening writes, so that what a document holds can be counted on the
// way: the names above the line's last one joined by the separator ("" for a line of the
// document element's own text), that last name (the element of a text, or a childless
// element, "#comment", "#cdata-section" or a processing instruction's target), and the value
// unquoted. A text and an empty element of one name are lines of one path. `above` numbers
// the element the lines stand below (0 for the document element's own text): lines with the
// same number have the same path, so an observer may skip comparing it.
class CsvLineObserver {
public:
    virtual ~CsvLineObserver() = default;
    virtual void line(std::string_view path, std::string_view name, std::string_view value,
                      std::uint64_t above) = 0;
};

// The text is handed to `write` in pieces as it grows, so a large file never has to be held
// whole; `observer`, when given, is told of each line. Gives the parser's error when the
// document is not well-formed.
std::optional<XmlError> ConvertToCSV(const QString& xmlPath, const std::string& separator,
                                     const std::function<void(std::string_view)>& write,
                                     CsvLineObserver* observer = nullptr,
                                     const ReadProgress& progress = {});

// The same for a document held in memory, appending the lines to `csvText`.
std::optional<XmlError> ConvertToCSV(std::string_view xmlDocument, const std::string& separator,
                                     std::string& csvText);
