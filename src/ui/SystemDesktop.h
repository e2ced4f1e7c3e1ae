#pragma once

#include "ui/Desktop.h"

#include <QUrl>

#include <functional>
#include <optional>

// The application the desktop opens files of `mimeType` with, as the free desktops' xdg-mime
// names it: "" for none; nothing where that cannot be told (no xdg-mime, or Windows, whose shell
// itself says that no application is associated when asked to open).
std::optional<QString> defaultApplicationFor(const QString& mimeType);

// The user's own desktop.
class SystemDesktop final : public Desktop {
public:
    // Names the application for a MIME type as defaultApplicationFor does.
    using ApplicationFinder = std::function<std::optional<QString>(const QString& mimeType)>;
    // Hands a URL to the desktop; false when it refused it.
    using UrlOpener = std::function<bool(const QUrl& url)>;

    // The real desktop unless a test gives its own finder and opener.
    explicit SystemDesktop(ApplicationFinder finder = defaultApplicationFor,
                           UrlOpener opener = nullptr);

    void openFolder(const QString& path) override;
    // False too when the desktop has no application for the file's type.
    bool openFile(const QString& path) override;

private:
    ApplicationFinder m_findApplication;
    UrlOpener m_open;
};
