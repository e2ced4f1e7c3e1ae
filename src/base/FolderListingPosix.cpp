#include "base/FolderEntryRules.h"
#include "base/FolderListing.h"

#include <QFile>
#include <QStringDecoder>

#include <sys/stat.h>

QString entryName(const std::filesystem::path& name, bool& readable) {
    const std::string& raw = name.native();
    // File names are UTF-8 here; one that is not could never be opened again from its text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(QByteArrayView(raw.data(), qsizetype(raw.size())));
    readable = !decoder.hasError();
    return text;
}

bool isHiddenFolder(const std::filesystem::path&, const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

bool isPassedOverFile(const std::filesystem::path&) {
    return false;
}

std::optional<FolderIdentity> folderIdentity(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return FolderIdentity{static_cast<unsigned long long>(info.st_dev),
                          static_cast<unsigned long long>(info.st_ino)};
}
