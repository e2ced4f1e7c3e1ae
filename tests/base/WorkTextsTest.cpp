#include "base/WorkTexts.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
std::string readWhole(const WorkTexts& texts, const QString& path) {
    std::string whole;
    texts.read(path, [&](std::string_view piece) { whole += piece; });
    return whole;
}

void write(WorkTexts& texts, const QString& path, qint64 reserved, const std::string& text) {
    WorkTexts::Writer writer(texts, path);
    writer.reserve(reserved);
    for (size_t at = 0; at < text.size(); at += 1000)
        writer.append(std::string_view(text).substr(at, 1000));
    writer.commit();
}
} // namespace

TEST(WorkTexts, ARoomMadeAheadHoldsTheTextAndRoomBeyondTheBudgetIsNotTaken) {
    QTemporaryDir folder;
    const std::string text(100000, 'x');
    WorkTexts texts(150000);

    // Made to its size at once, the text stays in memory and makes no file.
    const QString first = folder.filePath("first.csv");
    write(texts, first, 100000, text);
    ASSERT_TRUE(texts.held(first));
    EXPECT_EQ(texts.held(first)->capacity(), 100000u);
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_EQ(readWhole(texts, first), text);

    // Room beyond what is left of the budget is not taken: the text goes to its file once it
    // passes the budget, whole.
    const QString second = folder.filePath("second.csv");
    write(texts, second, 100000, text);
    EXPECT_FALSE(texts.held(second));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(readWhole(texts, second), text);

    // Letting the first go frees its room for the next.
    texts.remove(first);
    const QString third = folder.filePath("third.csv");
    write(texts, third, 100000, text);
    EXPECT_TRUE(texts.held(third));
}
