#pragma once

#include "ui/Desktop.h"

// The user's own desktop.
class SystemDesktop final : public Desktop {
public:
    void openFolder(const QString& path) override;
    bool openFile(const QString& path) override;
};
