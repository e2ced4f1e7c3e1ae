#include "base/ProgramFolder.h"

#include <QCoreApplication>

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}
