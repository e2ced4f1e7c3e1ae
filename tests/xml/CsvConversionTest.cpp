#include "xml/CsvConversion.h"

#include "support/CaseNames.h"
#include "support/QtPrinters.h"
#include "support/SpecialFiles.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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
} // namespace

TEST(ConvertToCSV, OneLinePerValueLedByTheElementPath) {
    EXPECT_EQ(flatten("<orders><order><id>7</id><note>a, b</note><empty/></order></orders>"),
              "orders,order,id,7\r\norders,order,note,\"a, b\"\r\norders,order,empty,\r\n");
    EXPECT_EQ(flatten("<r><p>Hello<b>World</b>!</p></r>"), "r,p,Hello\r\nr,p,b,World\r\nr,p,!\r\n");
    EXPECT_EQ(flatten("<a><b id='1'/></a>"), "a,b,\r\n");
    EXPECT_EQ(flatten("<root attr='x'>  </root>"), "");
    EXPECT_EQ(flatten("<root>x</root>"), "root,x\r\n");
}

TEST(ConvertToCSV, OtherNodesGiveTheirNameAndTextIsTakenAsTheParserGivesIt) {
    EXPECT_EQ(flatten("<!-- outside --><a><!-- note --><![CDATA[x < y]]><?step go?></a>"),
              "a,#comment, note \r\na,#cdata-section,x < y\r\na,step,go\r\n");
    EXPECT_EQ(flatten("<p:a xmlns:p='urn:x'><p:b>1</p:b></p:a>"), "p:a,p:b,1\r\n");
    // The text "&#13;" is dropped from a value but kept in a comment.
    EXPECT_EQ(flatten("<a><b>x&amp;#13;y</b><!--&#13;--></a>"), "a,b,xy\r\na,#comment,&#13;\r\n");
    // A real carriage return stays in the value, which is quoted so that it stays one field.
    EXPECT_EQ(flatten("<a><b>x&#13;y, z\nw</b></a>"), "a,b,\"x\ry, z\nw\"\r\n");
    EXPECT_EQ(flatten("<!DOCTYPE a [<!ENTITY who 'World'>]>\n<a>\n  <b>x &amp; &who; &lt;z&gt;</b>"
                      "\n  <c>\t</c>\n</a>"),
              "a,b,x & World <z>\r\na,c,\r\n");
}

TEST(ConvertToCSV, DeepDocumentsConvertWithoutRunningOutOfStack) {
    constexpr int kDepth = 100000;
    std::string deep;
    for (int i = 0; i < kDepth; ++i)
        deep += "<e>";
    deep += "v";
    for (int i = 0; i < kDepth; ++i)
        deep += "</e>";
    EXPECT_EQ(flatten(deep).size(), kDepth * 2 + 1 + 2u);
}

TEST(ConvertToCSV, BrokenDocumentsGiveReasonLineAndPosition) {
    const std::optional<XmlError> amp = failure("<a>\n  <b>x & y</b>\n</a>");
    ASSERT_TRUE(amp);
    EXPECT_EQ(amp->reason, "not well-formed (invalid token)");
    EXPECT_EQ(amp->line, 2);
    EXPECT_GT(amp->position, 1);
    const std::optional<XmlError> unclosed = failure("<a><b></a>");
    ASSERT_TRUE(unclosed);
    EXPECT_EQ(unclosed->line, 1);
    EXPECT_EQ(unclosed->position, 9);

    // Entities that grow a billion-fold are refused instead of filling the memory.
    std::string bomb = "<!DOCTYPE b [<!ENTITY e0 'xxxxxxxxxx'>";
    for (int i = 1; i < 10; ++i) {
        const std::string previous = "&e" + std::to_string(i - 1) + ";";
        bomb += "<!ENTITY e" + std::to_string(i) + " '";
        for (int copy = 0; copy < 10; ++copy)
            bomb += previous;
        bomb += "'>";
    }
    EXPECT_TRUE(failure(bomb + "]><b>&e9;</b>"));
}

namespace {
struct BrokenDocument {
    const char* name;
    const char* xml;
};
class ConvertBrokenDocument : public testing::TestWithParam<BrokenDocument> {};
} // namespace

TEST_P(ConvertBrokenDocument, IsRefused) {
    EXPECT_TRUE(failure(GetParam().xml));
}

INSTANTIATE_TEST_SUITE_P(
    , ConvertBrokenDocument,
    testing::Values(BrokenDocument{"empty", ""}, BrokenDocument{"two_roots", "<a/><b/>"},
                    BrokenDocument{"undefined_entity", "<a>&undefined;</a>"},
                    BrokenDocument{"unknown_encoding",
                                   "<?xml version='1.0' encoding='no-such-encoding'?><a/>"}),
    CaseNamedByItself());

namespace {
QByteArray utf16(const QString& text, bool little, bool mark) {
    QByteArray bytes = mark ? QByteArray(little ? "\xFF\xFE" : "\xFE\xFF") : QByteArray();
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        bytes += little ? QByteArray{&low, 1} + QByteArray{&high, 1}
                        : QByteArray{&high, 1} + QByteArray{&low, 1};
    }
    return bytes;
}

struct EncodedFile {
    const char* name;
    QByteArray bytes;
    const char* csv;
};
class ConvertEncodedFile : public testing::TestWithParam<EncodedFile> {};

const QString creme = QStringLiteral("<a>Cr\u00e8me</a>");
const char* const cremeCsv = "a,Cr\xc3\xa8me\r\n";
} // namespace

// Other encodings are converted first; the parser's own are read under the other spellings
// conversion libraries give them too.
TEST_P(ConvertEncodedFile, GivesTheSameTextInUtf8) {
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("in.xml"), GetParam().bytes);
    std::string csv;
    const std::optional<XmlError> error =
        ConvertToCSV(path, ",", [&](std::string_view piece) { csv.append(piece); });
    EXPECT_FALSE(error) << (error ? error->reason.toStdString() : "");
    EXPECT_EQ(csv, GetParam().csv);
}

INSTANTIATE_TEST_SUITE_P(
    , ConvertEncodedFile,
    testing::Values(
        EncodedFile{"ISO_8859_1", "<?xml version='1.0' encoding='ISO-8859-1'?><a>Cr\xe8me</a>",
                    cremeCsv},
        EncodedFile{"windows_1252",
                    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a>\x80 \x93q\x94</a>",
                    "a,\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d\r\n"},
        EncodedFile{"Shift_JIS",
                    "<?xml version='1.0' encoding='Shift_JIS'?><a>\x93\x8c\x8b\x9e</a>",
                    "a,\xe6\x9d\xb1\xe4\xba\xac\r\n"},
        EncodedFile{"UTF16LE_marked", QByteArray("\xff\xfe<\0a\0>\0\xe9\0<\0/\0a\0>\0", 18),
                    "a,\xc3\xa9\r\n"},
        EncodedFile{"UTF8_marked", "\xef\xbb\xbf<a>\xc3\xa9</a>", "a,\xc3\xa9\r\n"},
        // UTF-32 with a byte-order mark and without, a character beyond the plane in each.
        EncodedFile{"UTF32LE_marked",
                    QByteArray("\377\376\000\000<\000\000\000a\000\000\000>\000\000\000\000\366\001"
                               "\000<\000\000\000/\000\000\000a\000\000\000>\000\000\000",
                               36),
                    "a,\xf0\x9f\x98\x80\r\n"},
        EncodedFile{"UTF32BE_unmarked",
                    QByteArray("\000\000\000<\000\000\000a\000\000\000>\000\001\366\000\000\000"
                               "\000<\000\000\000/\000\000\000a\000\000\000>",
                               32),
                    "a,\xf0\x9f\x98\x80\r\n"},
        EncodedFile{"utf16_spelled_marked_LE",
                    utf16("<?xml version='1.0' encoding='utf16'?>" + creme, true, true), cremeCsv},
        EncodedFile{"utf_16_spelled_unmarked_BE",
                    utf16("<?xml version='1.0' encoding='utf_16'?>" + creme, false, false),
                    cremeCsv},
        EncodedFile{"UCS_2_spelled_unmarked_LE",
                    utf16("<?xml version='1.0' encoding='UCS-2'?>" + creme, true, false), cremeCsv},
        EncodedFile{"latin_1_spelled", "<?xml version='1.0' encoding='latin_1'?><a>Cr\xe8me</a>",
                    cremeCsv},
        EncodedFile{"utf_8_spelled", "<?xml version='1.0' encoding='utf_8'?><a>Cr\xc3\xa8me</a>",
                    cremeCsv},
        EncodedFile{"utf8_spelled_marked",
                    "\xEF\xBB\xBF<?xml version='1.0' encoding='utf8'?><a>Cr\xc3\xa8me</a>",
                    cremeCsv}),
    CaseNamedByItself());

TEST(ConvertToCSV, ASpellingOfUtf16InADocumentThatIsNotIsStillTheLieItWas) {
    QTemporaryDir folder;
    EXPECT_TRUE(ConvertToCSV(
        writeFile(folder.filePath("in.xml"), "<?xml version='1.0' encoding='utf_16'?><a>x</a>"),
        ",", [](std::string_view) {}));
}

namespace {
// Something at a path where a file to read is expected. `make` sets it up in a folder and gives
// its path; what `keep` holds keeps it there until the test ends.
struct NotAFile {
    const char* name;
    std::function<QString(const QString& folder, std::shared_ptr<void>& keep)> make;
    QString reason;
};
class ConvertNotAFile : public testing::TestWithParam<NotAFile> {};

std::vector<NotAFile> thingsThatAreNotFiles() {
    const QString notRegular = QStringLiteral("not a regular file");
    std::vector<NotAFile> things{
        {"missing", [](const QString&, std::shared_ptr<void>&) { return "/no/such/file.xml"; },
         "cannot be read (" + missingPathWord() + ")"},
        // A pipe with no writer would block an open or a read for ever.
        {"pipe",
         [](const QString& folder, std::shared_ptr<void>& keep) {
             const auto pipe = std::make_shared<PipeWithoutWriter>(folder);
             keep = pipe;
             return pipe->path();
         },
         notRegular},
        {"folder", [](const QString& folder, std::shared_ptr<void>&) { return folder; },
         notRegular},
        {"device", [](const QString&, std::shared_ptr<void>&) { return deviceFile(); }, notRegular},
    };
#ifndef _WIN32
    // A socket cannot even be opened; it is no more a file to read than the pipe is.
    things.push_back(
        {"socket",
         [](const QString& folder, std::shared_ptr<void>& keep) {
             const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
             keep = std::shared_ptr<void>(nullptr, [listening](void*) { ::close(listening); });
             const QString path = QDir(folder).filePath("socket.xml");
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const QByteArray name = QFile::encodeName(path);
             if (name.size() < qsizetype(sizeof(address.sun_path))) {
                 std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
                 if (::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
                     return path;
             }
             ADD_FAILURE() << "cannot make a socket at " << name.toStdString();
             return path;
         },
         notRegular});
#endif
    return things;
}
} // namespace

TEST_P(ConvertNotAFile, ReadsNothingAndSaysWhy) {
    QTemporaryDir folder;
    std::shared_ptr<void> kept;
    const QString path = GetParam().make(folder.path(), kept);
    const std::optional<XmlError> error = ConvertToCSV(
        path, ",", [&](std::string_view) { ADD_FAILURE() << "read " << path.toStdString(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason, GetParam().reason);
    EXPECT_EQ(error->line, 0);
}

INSTANTIATE_TEST_SUITE_P(, ConvertNotAFile, testing::ValuesIn(thingsThatAreNotFiles()),
                         CaseNamedByItself());
