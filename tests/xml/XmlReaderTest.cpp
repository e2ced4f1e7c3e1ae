#include "xml/CsvConversion.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
std::optional<XmlError> readBytes(const QByteArray& bytes) {
    std::string csv;
    return ConvertToCSV(std::string_view(bytes.constData(), size_t(bytes.size())), ",", csv);
}
} // namespace

TEST(XmlReader, UndeclaredPrefixesAndUnknownEncodingsAreRefused) {
    const std::optional<XmlError> element = readBytes("<r>\n<p:a>1</p:a></r>");
    ASSERT_TRUE(element);
    EXPECT_EQ(element->reason, "the namespace prefix \"p\" is not declared");
    EXPECT_EQ(element->line, 2);
    EXPECT_TRUE(readBytes("<r xmlns:p='u'><p:a q:b='1'/></r>"));
    // An empty element still ends after the parse stopped at its start: found by fuzzing.
    EXPECT_TRUE(readBytes("<r><p:a/></r>"));
    // A declaration reaches only as far as its element.
    EXPECT_TRUE(readBytes("<r><a xmlns:p='u'/><p:b/></r>"));
    EXPECT_FALSE(readBytes("<r xmlns:p='u'><p:a xml:lang='en'/></r>"));
    EXPECT_FALSE(readBytes("<r a:b:c='1'><x:/></r>"));
    const std::optional<XmlError> unknown =
        readBytes("<?xml version='1.0' encoding='x-nonsense'?><r/>");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->reason, "the encoding x-nonsense is not supported");
}
