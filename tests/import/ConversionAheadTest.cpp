#include "import/ConversionAhead.h"

#include "support/SpecialFiles.h"
#include "support/TreeBuilder.h"
#include "xml/CsvConversion.h"

#include <QTemporaryDir>

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(ConversionAhead, EverySecondSmallRegularFileIsConvertedAheadAndTheRestLeftToTheRun) {
    QTemporaryDir folder;
    const QString good = writeFile(folder.filePath("good.xml"), "<r><a>1</a><b>x, y</b></r>");
    const QString broken = writeFile(folder.filePath("broken.xml"), "<r>\n  <a></b>\n</r>");
    const PipeWithoutWriter pipe(folder.path());
    const QString fifo = pipe.path();
    const QString large =
        writeFile(folder.filePath("large.xml"), "<r>" + QByteArray(5 << 20, ' ') + "</r>");

    ConversionAhead ahead({good, broken, good, fifo, good, large, good, good});
    EXPECT_FALSE(ahead.take(1));
    const std::optional<ConvertedFile> failed = ahead.take(2);
    ASSERT_TRUE(failed && failed->error);
    EXPECT_EQ(failed->error->line, 2);
    EXPECT_EQ(failed->error->position, 8);
    EXPECT_FALSE(ahead.take(3));
    // A pipe would block the second thread, and a large file would be held whole in memory.
    EXPECT_FALSE(ahead.take(4));
    EXPECT_FALSE(ahead.take(6));
    std::string expected;
    ASSERT_FALSE(ConvertToCSV(good, ",", [&](std::string_view piece) { expected.append(piece); }));
    const std::optional<ConvertedFile> converted = ahead.take(8);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->csv, expected);
    EXPECT_FALSE(converted->error);
}

TEST(ConversionAhead, AFileChangedSinceItWasConvertedIsLeftToTheRun) {
    QTemporaryDir folder;
    const QString first = writeFile(folder.filePath("first.xml"), "<r><a>1</a></r>");
    const QString second = writeFile(folder.filePath("second.xml"), "<r><a>old</a></r>");
    ConversionAhead ahead({first, second});
    // Time to convert the second file; on a busy machine it may not have, and the run does.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(ahead.take(1));
    writeFile(second, "<r><a>new, and longer</a></r>");
    const std::optional<ConvertedFile> converted = ahead.take(2);
    EXPECT_TRUE(!converted || converted->csv == "r,a,\"new, and longer\"\r\n");
}
