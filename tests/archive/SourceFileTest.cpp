#include "archive/SourceFile.h"

#include "archive/ArchiveDirectory.h"
#include "archive/EntryName.h"
#include "archive/MemberPath.h"
#include "base/RuntimeError.h"
#include "support/CaseNames.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "support/ZipBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
// What reading a listed path to its end gave: its bytes, or why it failed.
struct Read {
    QByteArray bytes;
    std::optional<SourceFailure> failure;
};

Read readWhole(const QString& listed) {
    OpenedSource source = openSource(listed);
    if (!source.file)
        return {{}, source.failure};
    Read read;
    QByteArray piece(100'000, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.file->read(piece.data(), piece.size());
        if (got < 0)
            return {{}, source.file->failure()};
        if (got == 0)
            return read;
        read.bytes.append(piece.constData(), got);
    }
}
} // namespace

TEST(SourceFile, MembersReadInPlaceGiveExactlyTheirBytes) {
    QTemporaryDir folder;
    const QString archive = folder.filePath("march.zip");
    const QByteArray large = numberedValues(0, 199'999);
    {
        ZipBuilder zip(archive);
        zip.add("a.xml", "<a>stored</a>", {.method = 0})
            .add("invoices/0001.xml", large)
            .add("empty.xml", "")
            .add("wide.xml", "<w>zip64</w>", {.zip64 = true});
    }
    const QString member = MemberPath{archive, "invoices/0001.xml"}.text();
    EXPECT_EQ(member, archive + "!/invoices/0001.xml");
    const Read read = readWhole(member);
    ASSERT_FALSE(read.failure) << qPrintable(read.failure->reason);
    EXPECT_EQ(read.bytes, large);
    EXPECT_EQ(readWhole(archive + "!/a.xml").bytes, "<a>stored</a>");
    EXPECT_EQ(readWhole(archive + "!/wide.xml").bytes, "<w>zip64</w>");
    const Read empty = readWhole(archive + "!/empty.xml");
    EXPECT_FALSE(empty.failure);
    EXPECT_TRUE(empty.bytes.isEmpty());

    EXPECT_EQ(sourceSize(member), large.size());
    EXPECT_EQ(openSource(member).file->size(), large.size());
    EXPECT_EQ(fileOnDiskOf(member), archive);
    EXPECT_EQ(sourceIdentity(member, 1 << 30), smallRegularFileIdentity(archive, 1LL << 40));
    // Too large to take ahead, as a file of its size would be.
    EXPECT_FALSE(sourceIdentity(member, 1000));

    const Read missing = readWhole(archive + "!/nowhere.xml");
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->problem, FileProblem::NotReadable);
    EXPECT_TRUE(missing.failure->reason.contains("no member nowhere.xml"));

    // Written anew under the same name, the archive is read anew. Windows keeps the name of a
    // removed file that is open until it is closed, as it is while kept for the next member: a
    // run closes it at its end.
#ifdef Q_OS_WIN
    letGoOfArchives();
#endif
    QFile::remove(archive);
    ZipBuilder(archive).add("a.xml", "<a>second</a>");
    EXPECT_EQ(readWhole(archive + "!/a.xml").bytes, "<a>second</a>");
    EXPECT_EQ(sourceSize(member), -1);
}

namespace {
struct RefusedMember {
    const char* name;
    QString member;
    FileProblem problem;
    QString reasonBegins;
};

// One archive whose members between its first and last are each refused or damaged in a way of
// their own; made once, for its bomb takes a while to pack.
class MixedArchive : public testing::TestWithParam<RefusedMember> {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<QTemporaryDir>();
        archive = folder->filePath("mixed.zip");
        const std::uint64_t bombSize = std::uint64_t(1100) << 20;
        {
            ZipBuilder zip(archive);
            zip.add("first.xml", good)
                .add("secret.xml", good, {.password = "x"})
                .add("packed.xml", good, {.method = 0})
                .addRaw("bomb.xml", Z_DEFLATED, deflatedZeros(bombSize), bombSize, 0xE7AF0FC0u)
                .add("nested/inner.zip", "PK")
                .add("\xff\xfe.xml", good, {.utf8 = true})
                .addRaw("badcrc.xml", 0, good, std::uint64_t(good.size()), zipCrc(good) ^ 1u)
                .addRaw("short.xml", 0, good, std::uint64_t(good.size()) + 5, zipCrc(good))
                .addRaw("long.xml", 0, good, std::uint64_t(good.size()) - 2, zipCrc(good))
                .addRaw("garbled.xml", Z_DEFLATED, QByteArray(64, '\xff'), 100, 7)
                .addRaw("cut.xml", Z_DEFLATED, deflatedZeros(100'000).left(20), 100'000, 0)
                .addRaw("more.xml", Z_DEFLATED, deflatedZeros(2'000), 1'000, 0)
                .add("last.xml", good);
        }
        recordMethod(archive, "packed.xml", 12);
    }
    static void TearDownTestSuite() { folder.reset(); }

    static inline std::unique_ptr<QTemporaryDir> folder;
    static inline QString archive;
    static inline const QByteArray good = "<ok>1</ok>";
};
} // namespace

TEST_P(MixedArchive, AMemberRefusedOrDamagedSaysWhyAndTheOthersStillRead) {
    const Read read = readWhole(MemberPath{archive, GetParam().member}.text());
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->problem, GetParam().problem);
    EXPECT_TRUE(read.failure->reason.startsWith(GetParam().reasonBegins))
        << qPrintable(read.failure->reason);
    EXPECT_EQ(readWhole(archive + "!/first.xml").bytes, good);
    EXPECT_EQ(readWhole(archive + "!/last.xml").bytes, good);
    // Nothing was unpacked beside the archive.
    EXPECT_EQ(QDir(folder->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"mixed.zip"});
}

INSTANTIATE_TEST_SUITE_P(
    , MixedArchive,
    testing::Values(
        RefusedMember{"encrypted", "secret.xml", FileProblem::Encrypted, "encrypted"},
        RefusedMember{"compressed_otherwise", "packed.xml", FileProblem::UnsupportedCompression,
                      "unsupported compression: bzip2"},
        RefusedMember{"bomb", "bomb.xml", FileProblem::TooLargeUnpacked,
                      "too large when unpacked: 1,153,433,600 bytes from"},
        RefusedMember{"archive_inside", "nested/inner.zip", FileProblem::ArchiveInArchive,
                      "archive inside an archive"},
        RefusedMember{"name_not_utf8", QString::fromUtf8("\xff\xfe.xml"),
                      FileProblem::NameNotReadable, "name not readable"},
        RefusedMember{"wrong_crc", "badcrc.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): its data does not match the CRC"},
        RefusedMember{"shorter_than_recorded", "short.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): unpacked, it holds 10 bytes where"},
        // Whether the reader stops at the size recorded or passes it, the member is damaged.
        RefusedMember{"longer_than_recorded", "long.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): "},
        RefusedMember{"garbled", "garbled.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): its data cannot be unpacked"},
        RefusedMember{"cut_short", "cut.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): its data breaks off before its end"},
        RefusedMember{"unpacks_to_more", "more.xml", FileProblem::DamagedMember,
                      "damaged (size or CRC does not match): unpacked, it holds more than the "
                      "1,000 bytes"}),
    CaseNamedByItself());

namespace {
struct DamagedArchive {
    const char* name;
    // The bytes of the damaged archive, made from those of a whole one.
    std::function<QByteArray(QByteArray)> damage;
};
class ADamagedArchive : public testing::TestWithParam<DamagedArchive> {};

QByteArray wholeArchive(const QString& path) {
    ZipBuilder(path).add("a.xml", "<a/>").add("b.xml", "<b/>");
    return readFile(path);
}
} // namespace

TEST_P(ADamagedArchive, IsOneFailureNamingItself) {
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("damaged.zip"),
                                   GetParam().damage(wholeArchive(folder.filePath("whole.zip"))));
    EXPECT_THROW(archiveDirectory(path), RuntimeError);
    const Read read = readWhole(path);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->problem, FileProblem::DamagedArchive);
    EXPECT_TRUE(read.failure->reason.startsWith("damaged archive: "));
    EXPECT_EQ(readWhole(path + "!/a.xml").failure->problem, FileProblem::DamagedArchive);
}

INSTANTIATE_TEST_SUITE_P(
    , ADamagedArchive,
    testing::Values(
        DamagedArchive{"text", [](QByteArray) { return QByteArray("<r>not an archive</r>"); }},
        DamagedArchive{"empty", [](QByteArray) { return QByteArray(); }},
        DamagedArchive{"cut", [](QByteArray bytes) { return bytes.left(bytes.size() - 30); }},
        // A count short of the members, as some writers leave it past 65,535, would hide some.
        DamagedArchive{"count_short",
                       [](QByteArray bytes) {
                           bytes[bytes.lastIndexOf("PK\x05\x06") + 8] = 1;
                           bytes[bytes.lastIndexOf("PK\x05\x06") + 10] = 1;
                           return bytes;
                       }},
        DamagedArchive{"directory_unmarked",
                       [](QByteArray bytes) {
                           return bytes.replace(bytes.lastIndexOf("PK\x01\x02"), 4, "XXXX");
                       }}),
    CaseNamedByItself());

TEST(SourceFile, AnArchiveListedItselfSaysHowToListItsMembers) {
    QTemporaryDir folder;
    const QString whole = folder.filePath("whole.zip");
    wholeArchive(whole);
    const Read listedWhole = readWhole(whole);
    ASSERT_TRUE(listedWhole.failure);
    EXPECT_TRUE(listedWhole.failure->reason.contains("add it to the list again"));
}

TEST(SourceFile, APathNamesAMemberOnlyThroughAnArchiveThatIsThere) {
    QTemporaryDir folder;
    const QString archive = folder.filePath("data.zip");
    ZipBuilder(archive).add("x.xml", "<member/>").add("a.zip!/y.xml", "<deeper/>");
    // A folder whose name ends in ".zip!" is a folder like any other where no archive is.
    const QString plain = writeFile(folder.filePath("other.zip!/x.xml"), "<file/>");
    EXPECT_FALSE(memberPathOf(plain));
    EXPECT_EQ(readWhole(plain).bytes, "<file/>");
    // A member's own path may hold "!/" too: the archive is the first that is a file.
    const std::optional<MemberPath> deeper = memberPathOf(archive + "!/a.zip!/y.xml");
    ASSERT_TRUE(deeper);
    EXPECT_EQ(deeper->archive, archive);
    EXPECT_EQ(deeper->member, "a.zip!/y.xml");
    EXPECT_EQ(readWhole(archive + "!/a.zip!/y.xml").bytes, "<deeper/>");
    // Where a folder beside the archive makes a file of the member's very name, neither is
    // taken for the other.
    writeFile(folder.filePath("data.zip!/x.xml"), "<file/>");
    const Read both = readWhole(archive + "!/x.xml");
    ASSERT_TRUE(both.failure);
    EXPECT_TRUE(both.failure->reason.contains("both go by this name"));
    EXPECT_TRUE(isArchiveName("A.ZIP"));
    EXPECT_FALSE(isArchiveName("a.zip.xml"));
}

namespace {
// Info-ZIP's Unicode path field: `utf8` stands for the name whose bytes are `raw`.
QByteArray unicodePathField(const QByteArray& raw, const QByteArray& utf8) {
    QByteArray field("\x75\x70", 2);
    const auto size = static_cast<quint16>(5 + utf8.size());
    field += char(size & 0xFF);
    field += char(size >> 8);
    field += char(1);
    const std::uint32_t crc = zipCrc(raw);
    for (int i = 0; i < 4; ++i)
        field += char((crc >> (8 * i)) & 0xFF);
    return field + utf8;
}
} // namespace

namespace {
struct NameCase {
    const char* name;
    QByteArray raw;
    std::uint32_t flags;
    QByteArray extra;
    QString text;
    bool readable;
};
class DecodeEntryName : public testing::TestWithParam<NameCase> {};

const QByteArray cp437Name("Gr\x81\xe1"
                           "e.xml");
const QByteArray utf8Name("Gr\xc3\xbc\xc3\x9f"
                          "e.xml");
constexpr std::uint32_t kMarkedUtf8 = 1u << 11;
} // namespace

TEST_P(DecodeEntryName, ReadsANameAsTheArchiveMarksItOrAsItsBytesAllow) {
    const NameCase& name = GetParam();
    const EntryName decoded =
        decodeEntryName(std::string_view(name.raw.constData(), size_t(name.raw.size())), name.flags,
                        std::string_view(name.extra.constData(), size_t(name.extra.size())));
    EXPECT_EQ(decoded.text, name.text);
    EXPECT_EQ(decoded.readable, name.readable);
}

INSTANTIATE_TEST_SUITE_P(
    , DecodeEntryName,
    testing::Values(
        NameCase{"plain", "plain.xml", 0, {}, "plain.xml", true},
        NameCase{"cp437", cp437Name, 0, {}, QString::fromUtf8("Grüße.xml"), true},
        NameCase{"utf8_unmarked", utf8Name, 0, {}, QString::fromUtf8("Grüße.xml"), true},
        NameCase{"utf8_marked", utf8Name, kMarkedUtf8, {}, QString::fromUtf8("Grüße.xml"), true},
        NameCase{"cp437_marked_as_utf8",
                 cp437Name,
                 kMarkedUtf8,
                 {},
                 QString::fromUtf8("Gr\xef\xbf\xbd\xef\xbf\xbd"
                                   "e.xml"),
                 false},
        NameCase{"unicode_path_field", cp437Name, 0,
                 unicodePathField(cp437Name, "Stra\xc3\x9f"
                                             "e.xml"),
                 QString::fromUtf8("Straße.xml"), true},
        // A field written for another name than the one beside it is passed over.
        NameCase{"unicode_path_field_of_another_name", cp437Name, 0,
                 unicodePathField("other", "Stra\xc3\x9f"
                                           "e.xml"),
                 QString::fromUtf8("Grüße.xml"), true},
        NameCase{"nul_inside",
                 QByteArray("a\0b.xml", 7),
                 0,
                 {},
                 QString::fromUtf8(QByteArray("a\0b.xml", 7)),
                 false}),
    CaseNamedByItself());

// Tools put fields of their own beside a member (times, owners, its name in UTF-8), which the
// directory steps over and reads.
TEST(ArchiveDirectory, MembersWithExtraFieldsAreListedAndRead) {
    QTemporaryDir folder;
    const QString archive = folder.filePath("extra.zip");
    const QByteArray times("UT\x05\x00\x03\x00\x00\x00\x00", 9);
    ZipBuilder(archive)
        .add("first.xml", "<a/>", {.extra = times})
        .add(cp437Name, "<b/>",
             {.extra = times + unicodePathField(cp437Name, "Stra\xc3\x9f"
                                                           "e.xml")})
        .add("last.xml", "<c/>", {.extra = times});
    const auto directory = archiveDirectory(archive);
    QStringList names;
    for (const ArchiveEntry& entry : directory->entries())
        names << entry.name;
    EXPECT_EQ(names, (QStringList{"first.xml", QString::fromUtf8("Straße.xml"), "last.xml"}));
    EXPECT_EQ(readWhole(archive + QString::fromUtf8("!/Straße.xml")).bytes, "<b/>");
    EXPECT_EQ(readWhole(archive + "!/last.xml").bytes, "<c/>");
}

TEST(ArchiveDirectory, SeventyThousandMembersAreListedWithAZip64DirectoryOrWithout) {
    QTemporaryDir folder;
    const QString classic = folder.filePath("classic.zip");
    constexpr int kMembers = 70'000;
    {
        ZipBuilder zip(classic);
        for (int i = 0; i < kMembers; ++i)
            zip.add(QByteArray::number(i) + ".xml", "<r" + QByteArray::number(i) + "/>",
                    {.method = 0});
    }
    const QString zip64 = folder.filePath("zip64.zip");
    QFile::copy(classic, zip64);
    recordZip64Directory(zip64);
    // The classic record cannot count past 65,535: the directory itself says how far it goes.
    for (const QString& archive : {classic, zip64}) {
        const auto directory = archiveDirectory(archive);
        ASSERT_EQ(directory->entries().size(), size_t(kMembers)) << qPrintable(archive);
        EXPECT_EQ(directory->entries().back().name, "69999.xml");
        EXPECT_EQ(readWhole(archive + "!/69999.xml").bytes, "<r69999/>");
        EXPECT_EQ(readWhole(archive + "!/0.xml").bytes, "<r0/>");
    }
}
