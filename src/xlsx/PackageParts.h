#pragma once

#include <QStringList>

#include <string>

// The parts of a workbook's package that list its sheets, in the form the format's reference
// library writes them: which part holds what, how the workbook reaches its sheets, the sheets'
// names in order, and the document properties that name them again. The last two take the
// library's part for a workbook of one sheet and list the sheets in it.
std::string contentTypesPart(int sheetCount, bool sharedStrings);
std::string workbookRelationshipsPart(int sheetCount, bool sharedStrings);
std::string workbookPart(const std::string& framePart, const QStringList& sheetNames);
std::string appPropertiesPart(const std::string& framePart, const QStringList& sheetNames);
