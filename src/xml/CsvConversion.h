#pragma once

#include "xml/XmlReader.h"

#include <QString>

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
// way: the names down to the line's last one joined by the separator, that last name of a line
// of a childless element, comment, character-data section or processing instruction ("" for a
// line of text, whose element ends the path), and the value unquoted.
class CsvLineObserver {
public:
    virtual ~CsvLineObserver() = default;
    virtual void line(std::string_view path, std::string_view leaf, std::string_view value) = 0;
};

// The text is handed to `write` in pieces as it grows, so a large file never has to be held
// whole; `observer`, when given, is told of each line. Gives the parser's error when the
// document is not well-formed.
std::optional<XmlError> ConvertToCSV(const QString& xmlPath, const std::string& separator,
                                     const std::function<void(std::string_view)>& write,
                                     CsvLineObserver* observer = nullptr);

// The same for a document held in memory, appending the lines to `csvText`.
std::optional<XmlError> ConvertToCSV(std::string_view xmlDocument, const std::string& separator,
                                     std::string& csvText);
