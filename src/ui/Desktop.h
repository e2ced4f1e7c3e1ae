#pragma once

#include <QString>

// Hands paths to the desktop, outside the program.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Opens a folder in the file manager; a failure is not reported.
    virtual void openFolder(const QString& path) = 0;
    // Opens a file with the application the desktop chose for its type; false on failure.
    virtual bool openFile(const QString& path) = 0;
};
