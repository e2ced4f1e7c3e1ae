#include "base/Wildcard.h"

#include <gtest/gtest.h>

TEST(Wildcard, MatchesWholeNamesWithoutRegardToCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*.xml", "orders.2015.xml", true}, {"*.xml", "xml", false},     {"*.x?l", "a.XmL", true},
        {"a*b*c", "aXbYbZ", false},         {"*.ÄÖ", "straße.äö", true},
    };
    for (auto [pattern, name, expected] : cases)
        EXPECT_EQ(Wildcard(QString::fromUtf8(pattern)).matches(QString::fromUtf8(name)), expected)
            << pattern << " ~ " << name;
}
