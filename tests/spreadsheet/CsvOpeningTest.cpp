#include "spreadsheet/CsvOpening.h"

#include "base/RuntimeError.h"
#include "support/AllocationLimit.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CsvOpening, LinesFieldsAndQuotesAsTheApplicationReadsThem) {
    QTemporaryDir folder;
    const std::string mixed = "a,b,,d\r\n\r\nx\ny\r007,12.50\r\n"
                              "r,\"Smith, John\",\"two\r\nlines\",after\r\n"
                              "r,\"say \"\"hi\"\"\",in\"side,\"\"\r\n"
                              "r,\"open at the end";
    const OpenedCsv opened =
        openCsvFile(writeFile(folder.filePath("mixed.2015.csv"), QByteArray::fromStdString(mixed)));
    EXPECT_EQ(opened.workbook->sheetNames(), QStringList{"mixed.2015"});
    const CellStore& cells = opened.workbook->sheet(1).cells();
    // CR LF, LF and CR each end a line outside quotes, and an empty line keeps its row. A quote
    // inside an unquoted field is a character like any other; "" alone is empty.
    const std::tuple<int, int, const char*> shown[] = {
        {1, 3, ""},
        {1, 4, "d"},
        {3, 1, "x"},
        {4, 1, "y"},
        {5, 2, "12.50"},
        {6, 2, "Smith, John"},
        {6, 3, "two\r\nlines"},
        {6, 4, "after"},
        {7, 2, "say \"hi\""},
        {7, 3, "in\"side"},
        {7, 4, ""},
        {8, 2, "open at the end"},
    };
    for (auto [row, column, text] : shown)
        EXPECT_EQ(cells.display(row, column), text) << row << "," << column;
    EXPECT_EQ(cells.cell(5, 1)->kind, Cell::Kind::Text);
    EXPECT_EQ(cells.cell(5, 2)->kind, Cell::Kind::Number);
    EXPECT_EQ(cells.usedRange().lastRow, 8);
    EXPECT_FALSE(opened.workbook->isModified());
    EXPECT_TRUE(opened.shortfall.isEmpty());
    EXPECT_EQ(csvLineCount({"a,\"x\r\ny\"\r\n", "\r\n"}), 2);
    // Text read in pieces splits as it does whole, wherever a piece ends.
    const std::string_view text = mixed;
    for (size_t cut = 0; cut <= text.size(); ++cut)
        EXPECT_EQ(csvLineCount({text.substr(0, cut), text.substr(cut)}), 8) << cut;
}

namespace {
// The lines of CSV text read character by character by the rules of the opening, to check the
// counter that searches instead.
qint64 linesReadOneByOne(std::string_view text) {
    qint64 lines = 0;
    bool quoted = false, quoteSeen = false, afterCarriageReturn = false;
    bool fieldEmpty = true, fieldWasQuoted = false, lineHasFields = false;
    for (const char c : text) {
        if (quoted) {
            if (!quoteSeen) {
                quoteSeen = c == '"';
                continue;
            }
            quoteSeen = false;
            if (c == '"')
                continue;
            quoted = false;
        }
        if (c == '\n' && afterCarriageReturn) {
            afterCarriageReturn = false;
            continue;
        }
        afterCarriageReturn = c == '\r';
        if (c == '\r' || c == '\n') {
            ++lines;
            fieldEmpty = true;
            fieldWasQuoted = lineHasFields = false;
        } else if (c == ',') {
            lineHasFields = true;
            fieldEmpty = true;
            fieldWasQuoted = false;
        } else if (c == '"' && fieldEmpty && !fieldWasQuoted) {
            quoted = fieldWasQuoted = true;
        } else {
            fieldEmpty = false;
        }
    }
    return lines + (!fieldEmpty || lineHasFields || fieldWasQuoted ? 1 : 0);
}
} // namespace

TEST(CsvOpening, LinesAreCountedAsTheOpeningReadsThemWhereverPiecesEnd) {
    // Texts of the characters that matter, every one of up to six of them and random longer
    // ones, cut in three pieces at every place.
    const std::string alphabet = "a,\"\r\n";
    std::vector<std::string> texts{""};
    for (size_t from = 0; from < texts.size() && texts.back().size() < 6; ++from)
        for (const char c : alphabet)
            texts.push_back(texts[from] + c);
    std::uint32_t seed = 12345;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int length = 0; length < 40; ++length) {
            seed = seed * 1664525u + 1013904223u;
            text += alphabet[(seed >> 16) % alphabet.size()];
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const std::string_view whole = text;
        const qint64 expected = linesReadOneByOne(whole);
        ASSERT_EQ(csvLineCount({whole}), expected) << testing::PrintToString(text);
        for (size_t first = 0; first <= whole.size(); ++first)
            for (size_t second = first; second <= whole.size(); second += 3)
                ASSERT_EQ(csvLineCount({whole.substr(0, first), whole.substr(first, second - first),
                                        whole.substr(second)}),
                          expected)
                    << testing::PrintToString(text) << " cut at " << first << ", " << second;
    }
}

TEST(CsvOpening, WhatDoesNotFitIsNotedNotDroppedSilently) {
    QTemporaryDir folder;
    QByteArray wide;
    for (int i = 0; i < kMaxColumns + 2; ++i)
        wide += "v,";
    const QByteArray longValue(kMaxCellCharacters + 10, 'x');
    const OpenedCsv opened =
        openCsvFile(writeFile(folder.filePath("wide.csv"), wide + "\r\nc," + longValue + ",d\r\n"));
    const CellStore& cells = opened.workbook->sheet(1).cells();
    EXPECT_EQ(cells.display(1, kMaxColumns), "v");
    EXPECT_EQ(cells.display(2, 2), std::string(kMaxCellCharacters, 'x'));
    EXPECT_EQ(cells.display(2, 3), "d");
    EXPECT_EQ(opened.shortfall.valuesLeftOut, 2);
    ASSERT_EQ(opened.shortfall.cutCells.size(), 1u);
    EXPECT_EQ(opened.shortfall.cutCells[0].charactersCut, 10);
    const QString description = opened.shortfall.description();
    EXPECT_TRUE(description.startsWith("wide.csv: 2 values")) << description.toStdString();
    EXPECT_TRUE(description.contains("wide!B2 (10 characters cut)")) << description.toStdString();
    EXPECT_THROW(openCsvFile(folder.filePath("missing.csv")), RuntimeError);
}

// A text of megabytes lets its caller's events run as it is read, and reads the same for it:
// the slices may fall inside a quoted field or a character.
TEST(CsvOpening, ALargeTextLetsEventsRunAndReadsTheSame) {
    QTemporaryDir folder;
    std::string text;
    for (int line = 0; text.size() < (5u << 20); ++line)
        text += "r,\"a, quoted\r\nvalue " + std::to_string(line) + "\",caf\xC3\xA9\r\n";
    const QString path = writeFile(folder.filePath("big.csv"), QByteArray::fromStdString(text));
    int turns = 0;
    const OpenedCsv withEvents = openCsvFile(path, [&] { ++turns; });
    const OpenedCsv plain = openCsvText(path, text);
    EXPECT_GE(turns, 5);
    const CellStore& cells = withEvents.workbook->sheet(1).cells();
    EXPECT_EQ(cells.usedRange().lastRow, plain.workbook->sheet(1).cells().usedRange().lastRow);
    EXPECT_EQ(cells.display(1000, 2), plain.workbook->sheet(1).cells().display(1000, 2));
    EXPECT_EQ(cells.display(1000, 3), "caf\xC3\xA9");

    // What the events raise ends the opening.
    EXPECT_THROW(openCsvText(path, text, [] { throw RuntimeError(QStringLiteral("closed")); }),
                 RuntimeError);
}

// Memory that runs out half-way is told with the line the opening had come to, so that a caller
// who joined many texts can tell whose it was, and what the opening took is given back by then.
TEST(CsvOpening, MemoryThatRunsOutTellsItsLineAndGivesBackWhatItTook) {
    if (!AllocationLimit::available())
        GTEST_SKIP() << "no allocation limit on this platform";
    // Ten short lines, then lines of 10,000 distinct values each.
    std::string text;
    for (int line = 1; line <= 10; ++line)
        text += "short," + std::to_string(line) + "\r\n";
    for (int line = 0; line < 200; ++line) {
        for (int value = 0; value < 10000; ++value)
            text += "v" + std::to_string(line * 10000 + value) + ",";
        text += "\r\n";
    }
    std::int64_t left = 0;
    qint64 line = 0;
    {
        AllocationLimit limit(8 << 20);
        try {
            openCsvText(QStringLiteral("wide.csv"), text);
            ADD_FAILURE() << "the text fit";
        } catch (const CsvOutOfMemory& outOfMemory) {
            line = outOfMemory.line();
        }
        left = AllocationLimit::taken();
    }
    EXPECT_GT(line, 10);
    EXPECT_LE(line, 210);
    EXPECT_LT(left, 64 << 10);
}
