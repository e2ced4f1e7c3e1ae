#include "base/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

QString programFolder() {
    // Qt answers with "/" on every system; the paths made from it are shown to the user.
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}
