#include "ui/SystemDesktop.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace {
// xdg-mime reads a few small files; more than this and the desktop is not answering.
constexpr int kQueryTimeoutMs = 3000;
} // namespace

std::optional<QString> defaultApplicationFor(const QString& mimeType) {
#ifdef _WIN32
    Q_UNUSED(mimeType);
    return std::nullopt;
#else
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        query.waitForFinished();
        return std::nullopt;
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
#endif
}

SystemDesktop::SystemDesktop(ApplicationFinder finder, UrlOpener opener)
    : m_findApplication(std::move(finder)),
      m_open(opener ? std::move(opener)
                    : [](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void SystemDesktop::openFolder(const QString& path) {
    m_open(QUrl::fromLocalFile(path));
}

bool SystemDesktop::openFile(const QString& path) {
    // On the free desktops the file goes to xdg-open, started on its own: openUrl says only
    // that it started, not that it found an application, which it then fails to in silence.
    const QString type =
        QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
    if (const std::optional<QString> application = m_findApplication(type);
        application && application->isEmpty())
        return false;
    return m_open(QUrl::fromLocalFile(path));
}
