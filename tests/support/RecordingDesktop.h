#pragma once

#include "ui/Desktop.h"

#include <QStringList>

// Records what is handed to the desktop instead of opening it.
class RecordingDesktop final : public Desktop {
public:
    void openFolder(const QString& path) override { openedFolders << path; }
    bool openFile(const QString& path) override {
        openedFiles << path;
        return opens;
    }
    // Whether the desktop has an application that opens the files handed to it.
    bool opens = true;
    QStringList openedFolders;
    QStringList openedFiles;
};
