#include "sheet/TextPool.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace {
std::string numbered(int i) {
    return "text " + std::to_string(i);
}
} // namespace

// A text is kept once, byte for byte, whatever it holds, and found again by its bytes alone.
TEST(TextPool, EachDistinctTextIsKeptOnceAsItStands) {
    TextPool pool;
    const std::string withNul("a\0b", 3);
    const std::string large(100'000, 'x');
    const std::vector<std::string> texts{
        "", "a", "A", withNul, std::string("a\0c", 3), large, "\xC3\xA9t\xC3\xA9"};
    std::vector<std::uint32_t> numbers;
    for (const std::string& text : texts)
        numbers.push_back(pool.intern(text));
    EXPECT_EQ(pool.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(numbers[i], i);
        EXPECT_EQ(pool.text(numbers[i]), texts[i]);
        EXPECT_EQ(pool.intern(texts[i]), numbers[i]) << i;
    }
    EXPECT_EQ(pool.size(), texts.size());
}

// Views handed out stay valid while the pool grows by a hundred thousand texts and rehashes.
TEST(TextPool, TextsDoNotMoveAsThePoolGrows) {
    TextPool pool;
    const std::uint32_t first = pool.intern("first");
    const std::string_view view = pool.text(first);
    for (int i = 0; i < 100'000; ++i)
        ASSERT_EQ(pool.intern(numbered(i)), static_cast<std::uint32_t>(i + 1));
    EXPECT_EQ(pool.text(first).data(), view.data());
    EXPECT_EQ(view, "first");
    EXPECT_EQ(pool.intern(numbered(54'321)), 54'322u);
}

// Going back forgets exactly the texts kept since the mark: they get the numbers again when
// kept anew, and the texts before the mark are still found.
TEST(TextPool, GoingBackForgetsOnlyWhatCameAfterTheMark) {
    TextPool pool;
    pool.reserve(10, 100);
    for (int i = 0; i < 5; ++i)
        pool.intern(numbered(i));
    const TextPool::Mark mark = pool.mark();
    for (int i = 5; i < 50'000; ++i)
        pool.intern(numbered(i));
    pool.goBackTo(mark);
    EXPECT_EQ(pool.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pool.intern(numbered(i)), static_cast<std::uint32_t>(i));
    EXPECT_EQ(pool.intern(numbered(40'000)), 5u);
    EXPECT_EQ(pool.text(5), numbered(40'000));
}

// A copy has the same texts under the same numbers and goes its own way after.
TEST(TextPool, ACopyKeepsTheNumbersAndIsItsOwn) {
    TextPool pool;
    for (int i = 0; i < 1000; ++i)
        pool.intern(numbered(i));
    TextPool copy(pool);
    EXPECT_EQ(copy.size(), 1000u);
    EXPECT_EQ(copy.intern(numbered(999)), 999u);
    EXPECT_EQ(copy.intern("only in the copy"), 1000u);
    EXPECT_EQ(pool.size(), 1000u);
    EXPECT_EQ(pool.intern("only in the original"), 1000u);
    EXPECT_EQ(copy.text(1000), "only in the copy");
}
