#include "xml/CsvConversion.h"

#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
std::string flatten(std::string_view xml) {
    std::string csv;
    const std::optional<XmlError> error = ConvertToCSV(xml, ",", csv);
    EXPECT_FALSE(error) << (error ? error->reason.toStdString() : "");
    return csv;
}

std::optional<XmlError> failure(std::string_view xml) {
    std::string csv;
    return ConvertToCSV(xml, ",", csv);
}

QString writeFile(const QTemporaryDir& folder, const char* name, std::string_view bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

std::string flattenFile(const QString& path) {
    std::string csv;
    const std::optional<XmlError> error =
        ConvertToCSV(path, ",", [&](std::string_view piece) { csv.append(piece); });
    EXPECT_FALSE(error) << (error ? error->reason.toStdString() : "");
    return csv;
}
} // namespace

TEST(ConvertToCSV, OneLinePerValueLedByTheElementPath) {
    EXPECT_EQ(flatten("<orders><order><id>7</id><note>a, b</note><empty/></order></orders>"),
              "orders,order,id,7\r\norders,order,note,\"a, b\"\r\norders,order,empty,\r\n");
    EXPECT_EQ(flatten("<r><p>Hello<b>World</b>!</p></r>"), "r,p,Hello\r\nr,p,b,World\r\nr,p,!\r\n");
    EXPECT_EQ(flatten("<a><b id='1'/></a>"), "a,b,\r\n");
}

TEST(ConvertToCSV, RootAloneAndTextUnderTheRoot) {
    EXPECT_EQ(flatten("<root/>"), "");
    EXPECT_EQ(flatten("<root attr='x'>  </root>"), "");
    EXPECT_EQ(flatten("<root>x</root>"), "root,x\r\n");
}

TEST(ConvertToCSV, OtherNodesGiveTheirNameAndValue) {
    EXPECT_EQ(flatten("<!-- outside --><a><!-- note --><![CDATA[x < y]]><?step go?></a>"),
              "a,#comment, note \r\na,#cdata-section,x < y\r\na,step,go\r\n");
    EXPECT_EQ(flatten("<p:a xmlns:p='urn:x'><p:b>1</p:b></p:a>"), "p:a,p:b,1\r\n");
}

TEST(ConvertToCSV, TextLosesTheCharacterReferenceTextButCommentsKeepIt) {
    EXPECT_EQ(flatten("<a><b>x&amp;#13;y</b><!--&#13;--></a>"), "a,b,xy\r\na,#comment,&#13;\r\n");
    // A real carriage return stays in the value, which is quoted so that it stays one field.
    EXPECT_EQ(flatten("<a><b>x&#13;y, z\nw</b></a>"), "a,b,\"x\ry, z\nw\"\r\n");
}

TEST(ConvertToCSV, AdjacentCharacterDataIsOneTextAndBlankTextIsDropped) {
    EXPECT_EQ(flatten("<a>\n  <b>x &amp; y &lt;z&gt;</b>\n  <c>\t</c>\n</a>"),
              "a,b,x & y <z>\r\na,c,\r\n");
    EXPECT_EQ(flatten("<!DOCTYPE a [<!ENTITY who 'World'>]><a><b>Hello &who;</b></a>"),
              "a,b,Hello World\r\n");
}

TEST(ConvertToCSV, DeepDocumentsAndManyChildrenConvert) {
    constexpr int kDepth = 100000;
    std::string deep;
    for (int i = 0; i < kDepth; ++i)
        deep += "<e>";
    deep += "v";
    for (int i = 0; i < kDepth; ++i)
        deep += "</e>";
    const std::string csv = flatten(deep);
    EXPECT_EQ(csv.size(), kDepth * 2 + 1 + 2u);
    EXPECT_TRUE(csv.ends_with(",e,v\r\n"));

    std::string wide = "<r>";
    for (int i = 0; i < 40000; ++i)
        wide += "<c>" + std::to_string(i) + "</c>";
    wide += "</r>";
    const std::string lines = flatten(wide);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 40000);
    EXPECT_TRUE(lines.ends_with("r,c,39999\r\n"));
}

TEST(ConvertToCSV, BrokenDocumentsGiveReasonLineAndPosition) {
    const std::optional<XmlError> amp = failure("<a>\n  <b>x & y</b>\n</a>");
    ASSERT_TRUE(amp);
    EXPECT_EQ(amp->reason, QStringLiteral("not well-formed (invalid token)"));
    EXPECT_EQ(amp->line, 2);
    EXPECT_GT(amp->position, 1);

    const std::optional<XmlError> unclosed = failure("<a><b></a>");
    ASSERT_TRUE(unclosed);
    EXPECT_EQ(unclosed->reason, QStringLiteral("mismatched tag"));
    EXPECT_EQ(unclosed->line, 1);
    EXPECT_EQ(unclosed->position, 9);

    EXPECT_TRUE(failure(""));
    EXPECT_TRUE(failure("<a/><b/>"));
    EXPECT_TRUE(failure("<a>&undefined;</a>"));
    EXPECT_TRUE(failure("<?xml version='1.0' encoding='no-such-encoding'?><a/>"));
}

TEST(ConvertToCSV, EntityExpansionBombsAreRefused) {
    std::string bomb = "<!DOCTYPE b [<!ENTITY e0 'xxxxxxxxxx'>";
    for (int i = 1; i < 10; ++i)
        bomb += "<!ENTITY e" + std::to_string(i) + " '&e" + std::to_string(i - 1) + ";&e" +
                std::to_string(i - 1) + ";&e" + std::to_string(i - 1) + ";&e" +
                std::to_string(i - 1) + ";&e" + std::to_string(i - 1) + ";&e" +
                std::to_string(i - 1) + ";&e" + std::to_string(i - 1) + ";&e" +
                std::to_string(i - 1) + ";&e" + std::to_string(i - 1) + ";&e" +
                std::to_string(i - 1) + ";'>";
    bomb += "]><b>&e9;</b>";
    EXPECT_TRUE(failure(bomb));
}

TEST(ConvertToCSV, FilesInOtherEncodingsAreConvertedFirst) {
    QTemporaryDir folder;
    EXPECT_EQ(flattenFile(writeFile(folder, "latin1.xml",
                                    "<?xml version='1.0' encoding='ISO-8859-1'?><a><b>Cr\xe8me</b>"
                                    "</a>")),
              "a,b,Cr\xc3\xa8me\r\n");
    EXPECT_EQ(flattenFile(writeFile(folder, "cp1252.xml",
                                    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a><b>\x80 "
                                    "\x93q\x94</b></a>")),
              "a,b,\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d\r\n");
    EXPECT_EQ(flattenFile(writeFile(folder, "sjis.xml",
                                    "<?xml version='1.0' encoding='Shift_JIS'?><a><b>\x93\x8c\x8b"
                                    "\x9e</b></a>")),
              "a,b,\xe6\x9d\xb1\xe4\xba\xac\r\n");
    EXPECT_EQ(flattenFile(writeFile(folder, "utf16.xml",
                                    std::string_view("\xff\xfe<\0a\0>\0\xe9\0<\0/\0a\0>\0", 18))),
              "a,\xc3\xa9\r\n");
    EXPECT_EQ(flattenFile(writeFile(folder, "bom.xml", "\xef\xbb\xbf<a>\xc3\xa9</a>")),
              "a,\xc3\xa9\r\n");
}

TEST(ConvertToCSV, OnlyAnExistingRegularFileIsRead) {
    QTemporaryDir folder;
    const QString fifo = folder.filePath("pipe.xml");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A FIFO with no writer would block an open or a read for ever.
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("/no/such/file.xml"), "cannot be read (No such file or directory)"},
        {fifo, "not a regular file"},
        {folder.path(), "not a regular file"},
        {QStringLiteral("/dev/null"), "not a regular file"},
    };
    for (const auto& [path, reason] : cases) {
        const std::optional<XmlError> error = ConvertToCSV(
            path, ",", [&](std::string_view) { ADD_FAILURE() << "read " << path.toStdString(); });
        ASSERT_TRUE(error) << path.toStdString();
        EXPECT_EQ(error->reason, QString::fromUtf8(reason));
        EXPECT_EQ(error->line, 0);
    }
}

TEST(CsvConversion, FileNameAndExtension) {
    EXPECT_EQ(FileNameOf("/data/orders.2015.xml"), "orders.2015.xml");
    EXPECT_EQ(FileNameOf("orders.xml"), "orders.xml");
    EXPECT_EQ(StripExtension("orders.2015.xml"), "orders.2015");
    EXPECT_EQ(StripExtension(".xml"), "");
    EXPECT_EQ(StripExtension("README"), "README");
}
