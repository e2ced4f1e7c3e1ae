#include "base/TempFolder.h"

#include "support/QtPrinters.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(TempFolder, TheTempVariableInAnyCaseOrThePlatformsFolder) {
    const QByteArray saved = qgetenv("TEMP");
    qunsetenv("TEMP");
    qputenv("temp", "/somewhere/else");
    EXPECT_EQ(temporaryFolder(), "/somewhere/else");
    qputenv("temp", "");
    EXPECT_EQ(temporaryFolder(), QDir::cleanPath(QDir::tempPath()));
    qunsetenv("temp");
    if (!saved.isNull())
        qputenv("TEMP", saved);
}
