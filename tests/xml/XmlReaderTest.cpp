#include "xml/XmlReader.h"
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

TEST(XmlReader, AFailureInTheEventsStopsTheParseAndIsRaisedAfterIt) {
    struct Failing final : XmlEvents {
        void startElement(std::string_view name, const char* const*) override {
            if (name == "b")
                throw std::runtime_error("no room");
            ++started;
        }
        void endElement() override { ++ended; }
        void text(std::string_view) override {}
        void cdata(std::string_view) override {}
        void comment(std::string_view) override {}
        void processingInstruction(std::string_view, std::string_view) override {}
        int started = 0;
        int ended = 0;
    } events;
    EXPECT_THROW(readXmlBytes("<r><a/><b/><c/></r>", events), std::runtime_error);
    // Nothing after the failure reached the events, not even the end of the failing element.
    EXPECT_EQ(events.started, 2);
    EXPECT_EQ(events.ended, 1);
}
