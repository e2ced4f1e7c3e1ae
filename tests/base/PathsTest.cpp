#include "base/Paths.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Paths, JoiningNeverDoublesARootSeparator) {
#ifdef _WIN32
    EXPECT_EQ(joinPath("C:\\", "a.xml"), "C:\\a.xml");
    EXPECT_EQ(joinPath("C:\\data", "a.xml"), "C:\\data\\a.xml");
    EXPECT_EQ(joinPath("C:/data/", "a.xml"), "C:/data/a.xml");
    EXPECT_EQ(joinPath("\\\\server\\share", "a.xml"), "\\\\server\\share\\a.xml");
    EXPECT_EQ(FileNameOf("C:\\data/in\\a.xml"), "a.xml");
#else
    EXPECT_EQ(joinPath("/", "a.xml"), "/a.xml");
    EXPECT_EQ(joinPath("/data", "a.xml"), "/data/a.xml");
    EXPECT_EQ(joinPath("/data/", "a.xml"), "/data/a.xml");
#endif
}
