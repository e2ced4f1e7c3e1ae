#include "spreadsheet/CsvReadAhead.h"

#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {
// Whether the file was left to the caller, or given showing `value` in B1, as it stands now.
bool givenAsItStands(const std::optional<OpenedCsv>& opened, const std::string& value) {
    return !opened || opened->workbook->sheet(1).cells().display(1, 2) == value;
}
} // namespace

TEST(CsvReadAhead, AFileIsGivenAsItStandsWhenAskedForOrLeftToTheCaller) {
    QTemporaryDir folder;
    QStringList paths;
    for (int i = 1; i <= 8; ++i)
        paths << writeFile(folder.filePath(QString("f%1.csv").arg(i)),
                           QString("a,%1\r\n").arg(i).toUtf8());
    CsvReadAhead ahead(paths, nullptr);
    // Time to read the files ahead; on a busy machine it may not have, and the caller opens.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    EXPECT_TRUE(givenAsItStands(ahead.take(paths[0]), "1"));
    // Changed after it was read ahead: the caller opens it again.
    writeFile(paths[1], "a,changed and longer\r\n");
    EXPECT_TRUE(givenAsItStands(ahead.take(paths[1]), "changed and longer"));
    // A path that is not expected is the caller's; one further on lets those before it go.
    EXPECT_FALSE(ahead.take(folder.filePath("other.csv")));
    EXPECT_TRUE(givenAsItStands(ahead.take(paths[5]), "6"));
    EXPECT_FALSE(ahead.take(paths[3]));
    EXPECT_TRUE(givenAsItStands(ahead.take(paths[6]), "7"));
}
