#include "base/Wildcard.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>

namespace {
struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};
class WildcardMatch : public testing::TestWithParam<WildcardCase> {};
} // namespace

TEST_P(WildcardMatch, TakesWholeNamesWithoutRegardToCase) {
    const WildcardCase& given = GetParam();
    EXPECT_EQ(Wildcard(QString::fromUtf8(given.pattern)).matches(QString::fromUtf8(given.name)),
              given.matches);
}

INSTANTIATE_TEST_SUITE_P(
    , WildcardMatch,
    testing::Values(WildcardCase{"*.xml", "orders.2015.xml", true},
                    WildcardCase{"*.xml", "xml", false}, WildcardCase{"*.x?l", "a.XmL", true},
                    WildcardCase{"a*b*c", "aXbYbZ", false},
                    WildcardCase{"*.ÄÖ", "straße.äö", true}),
    [](const testing::TestParamInfo<WildcardCase>& test) {
        return caseName(std::string(test.param.pattern) + " " + test.param.name, test.index);
    });
