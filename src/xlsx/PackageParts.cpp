#include "xlsx/PackageParts.h"

#include "base/RuntimeError.h"

#include <cstring>

namespace {
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const kOfficeDocument = "http://schemas.openxmlformats.org/officeDocument/2006/";
const char* const kSpreadsheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// A name as XML text; in an attribute, double quotes are escaped too.
std::string escaped(const QString& name, bool attribute) {
    std::string text;
    for (char c : name.toStdString()) {
        if (c == '&')
            text += "&amp;";
        else if (c == '<')
            text += "&lt;";
        else if (c == '>')
            text += "&gt;";
        else if (c == '"' && attribute)
            text += "&quot;";
        else
            text += c;
    }
    return text;
}

std::string number(int value) {
    return std::to_string(value);
}

std::string relationship(int id, const char* type, const std::string& target) {
    return "<Relationship Id=\"rId" + number(id) + "\" Type=\"" + kOfficeDocument +
           "relationships/" + type + "\" Target=\"" + target + "\"/>";
}
// The part with the text between `from` and `to` put in place of what stood there.
std::string spliced(const std::string& part, const char* from, const char* to,
                    const std::string& text) {
    const size_t start = part.find(from);
    const size_t end = part.find(to, start);
    if (start == std::string::npos || end == std::string::npos)
        throw RuntimeError(QStringLiteral("The reference library wrote a part of an unknown form"));
    return part.substr(0, start) + text + part.substr(end + std::strlen(to));
}
} // namespace

std::string contentTypesPart(int sheetCount, bool sharedStrings) {
    std::string part =
        std::string(kDeclaration) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
        "content-types\"><Default Extension=\"rels\" ContentType=\"application/"
        "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
        "ContentType=\"application/xml\"/><Override PartName=\"/docProps/app.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.extended-"
        "properties+xml\"/><Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" ContentType=\"" +
        kSpreadsheetType +
        "styles+xml\"/><Override PartName=\"/xl/theme/theme1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
        kSpreadsheetType + "sheet.main+xml\"/>";
    for (int i = 1; i <= sheetCount; ++i)
        part += "<Override PartName=\"/xl/worksheets/sheet" + number(i) + ".xml\" ContentType=\"" +
                kSpreadsheetType + "worksheet+xml\"/>";
    if (sharedStrings)
        part += std::string("<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"") +
                kSpreadsheetType + "sharedStrings+xml\"/>";
    return part + "</Types>";
}

std::string workbookRelationshipsPart(int sheetCount, bool sharedStrings) {
    std::string part = std::string(kDeclaration) +
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\">";
    for (int i = 1; i <= sheetCount; ++i)
        part += relationship(i, "worksheet", "worksheets/sheet" + number(i) + ".xml");
    part += relationship(sheetCount + 1, "theme", "theme/theme1.xml");
    part += relationship(sheetCount + 2, "styles", "styles.xml");
    if (sharedStrings)
        part += relationship(sheetCount + 3, "sharedStrings", "sharedStrings.xml");
    return part + "</Relationships>";
}

std::string workbookPart(const std::string& framePart, const QStringList& sheetNames) {
    std::string sheets = "<sheets>";
    for (int i = 1; i <= sheetNames.size(); ++i)
        sheets += "<sheet name=\"" + escaped(sheetNames.at(i - 1), true) + "\" sheetId=\"" +
                  number(i) + "\" r:id=\"rId" + number(i) + "\"/>";
    return spliced(framePart, "<sheets>", "</sheets>", sheets + "</sheets>");
}

std::string appPropertiesPart(const std::string& framePart, const QStringList& sheetNames) {
    const std::string count = number(static_cast<int>(sheetNames.size()));
    std::string titles = "<HeadingPairs><vt:vector size=\"2\" baseType=\"variant\"><vt:variant>"
                         "<vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>" +
                         count +
                         "</vt:i4></vt:variant></vt:vector></HeadingPairs><TitlesOfParts>"
                         "<vt:vector size=\"" +
                         count + "\" baseType=\"lpstr\">";
    for (const QString& name : sheetNames)
        titles += "<vt:lpstr>" + escaped(name, false) + "</vt:lpstr>";
    return spliced(framePart, "<HeadingPairs>", "</TitlesOfParts>",
                   titles + "</vt:vector></TitlesOfParts>");
}
