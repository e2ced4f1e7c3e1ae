#include "ui/SystemDesktop.h"

#include <QDesktopServices>
#include <QUrl>

void SystemDesktop::openFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool SystemDesktop::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
