#include "base/Paths.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Paths, JoiningNeverDoublesARootSeparator) {
    EXPECT_EQ(joinPath("/", "a.xml"), "/a.xml");
    EXPECT_EQ(joinPath("/data", "a.xml"), "/data/a.xml");
    EXPECT_EQ(joinPath("/data/", "a.xml"), "/data/a.xml");
}
