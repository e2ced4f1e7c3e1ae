#include "database/UniqueNames.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// Names taken first as they stand, then names claimed one after another, and what each claim
// must give.
struct Claims {
    const char* name;
    std::vector<std::string> taken;
    std::vector<std::string> wanted;
    std::vector<std::string> given;
};

class UniqueNamesClaims : public testing::TestWithParam<Claims> {};

TEST_P(UniqueNamesClaims, GiveEachClaimANameNoOtherHasInAnyLetterCase) {
    const Claims& claims = GetParam();
    UniqueNames names;
    for (const std::string& name : claims.taken)
        names.take(name);
    std::vector<std::string> given;
    for (const std::string& wanted : claims.wanted)
        given.push_back(names.claim(wanted));
    EXPECT_EQ(given, claims.given);
}

INSTANTIATE_TEST_SUITE_P(
    , UniqueNamesClaims,
    testing::Values(
        Claims{"AFreeNameStaysAsWritten", {}, {"Order", "line"}, {"Order", "line"}},
        Claims{"ATakenNameGetsTheSmallestFreeNumber",
               {},
               {"order", "order", "order"},
               {"order", "order1", "order2"}},
        Claims{
            "LetterCaseDoesNotMakeANameFree", {"ORDER"}, {"Order", "order"}, {"Order1", "order2"}},
        Claims{"LettersBeyondAsciiCompareWithoutCaseToo", {"ÉCLAIR"}, {"éclair"}, {"éclair1"}},
        Claims{"ANumberedNameTakenBeforeIsPassedOver",
               {"order", "Order1", "ORDER3"},
               {"order", "order"},
               {"order2", "order4"}},
        Claims{
            "ANumberedClaimIsItselfTaken", {}, {"a", "a", "a1", "A1"}, {"a", "a1", "a11", "A12"}}),
    CaseNamedByItself());

// A name given back may be claimed again, and the numbers below it are tried again too.
TEST(UniqueNames, AReleasedNameIsFreeAgain) {
    UniqueNames names;
    EXPECT_EQ(names.claim("t"), "t");
    EXPECT_EQ(names.claim("t"), "t1");
    EXPECT_EQ(names.claim("t"), "t2");
    names.release("T1");
    EXPECT_EQ(names.claim("t"), "t1");
    names.release("t");
    EXPECT_EQ(names.claim("T"), "T");
}

TEST(UniqueNames, FoldedNamesCompareWithoutLetterCase) {
    EXPECT_EQ(foldedName("OrderLine"), foldedName("ORDERLINE"));
    EXPECT_EQ(foldedName("Élan"), foldedName("éLAN"));
    EXPECT_NE(foldedName("a1"), foldedName("a2"));
}
} // namespace
