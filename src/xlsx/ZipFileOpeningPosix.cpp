#include "xlsx/ZipFileOpening.h"

#include <QFile>

zipFile createZipFile(const QString& path) {
    return zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
}

unzFile openZipFile(const QString& path) {
    return unzOpen64(QFile::encodeName(path).constData());
}
