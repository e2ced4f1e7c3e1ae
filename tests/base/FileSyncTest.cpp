#include "base/FileSync.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
namespace {
QString failureOf(const std::function<void()>& sync) {
    try {
        sync();
    } catch (const RuntimeError& error) {
        return error.description();
    }
    return {};
}
} // namespace

TEST(FileSync,
     WhatCannotBeSyncedFailsUnderTheFileAskedForUnlessTheFileSystemCannotSyncFoldersPosixOnly) {
    QTemporaryDir folder;
    const QString target = folder.filePath("out.xlsx");
    const QString gone = folder.filePath("gone");
    EXPECT_EQ(failureOf([&] { syncFolder(gone, target); }),
              QStringLiteral("Cannot write %1: No such file or directory").arg(target));
    EXPECT_EQ(failureOf([&] { syncFile(gone, target); }),
              QStringLiteral("Cannot write %1: No such file or directory").arg(target));
    // Such a file system (here /proc) answers EINVAL; a save there must not fail for it.
    EXPECT_EQ(failureOf([&] { syncFolder(QStringLiteral("/proc"), target); }), QString());
}
#endif
