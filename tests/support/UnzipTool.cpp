// A stand-in for the unzip program on Windows, where the tests have none: "-p ZIP NAME" writes
// one entry to standard output, "-q -o ZIP -d FOLDER" unpacks every entry, "-tq ZIP" reads
// every entry and checks its CRC. It reads with minizip, a reader apart from the writer the
// tests check.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <minizip/unzip.h>
// After unzip.h, which defines what it uses.
#include <minizip/iowin32.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {
bool readCurrent(unzFile zip, std::string& bytes) {
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    char buffer[1 << 16];
    int got;
    while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    return unzCloseCurrentFile(zip) == UNZ_OK && got == 0;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<QString> words;
    for (int at = 1; at < argc; ++at)
        words.push_back(QString::fromWCharArray(argv[at]));
    const bool print = !words.empty() && words[0] == QLatin1String("-p");
    const bool test = words.size() == 2 && words[0] == QLatin1String("-tq");
    if (!(print && words.size() == 3) && !test &&
        !(words.size() == 5 && words[0] == QLatin1String("-q") && words[1] == QLatin1String("-o") &&
          words[3] == QLatin1String("-d"))) {
        std::fputs("usage: unzip -p ZIP NAME | unzip -q -o ZIP -d FOLDER | unzip -tq ZIP\n",
                   stderr);
        return 10;
    }
    const QString zipPath = QDir::toNativeSeparators(print || test ? words[1] : words[2]);
    zlib_filefunc64_def functions{};
    fill_win32_filefunc64W(&functions);
    unzFile zip = unzOpen2_64(zipPath.utf16(), &functions);
    if (!zip) {
        std::fputs("unzip: cannot open the zip file\n", stderr);
        return 9;
    }
    int status = 0;
    if (test) {
        // As unzip's own test: 2 for an entry that does not read back whole, its CRC included.
        for (int at = unzGoToFirstFile(zip); at == UNZ_OK && status == 0;
             at = unzGoToNextFile(zip)) {
            std::string bytes;
            if (!readCurrent(zip, bytes))
                status = 2;
        }
    } else if (print) {
        _setmode(_fileno(stdout), _O_BINARY);
        std::string bytes;
        if (unzLocateFile(zip, words[2].toUtf8().constData(), 1) != UNZ_OK ||
            !readCurrent(zip, bytes))
            status = 11;
        else
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    } else {
        for (int at = unzGoToFirstFile(zip); at == UNZ_OK && status == 0;
             at = unzGoToNextFile(zip)) {
            char name[1024];
            if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name, nullptr, 0, nullptr, 0) !=
                UNZ_OK) {
                status = 3;
                break;
            }
            std::string bytes;
            const QString target = QDir(words[4]).filePath(QString::fromUtf8(name));
            QDir().mkpath(QFileInfo(target).path());
            QFile file(target);
            if (!readCurrent(zip, bytes) || !file.open(QIODevice::WriteOnly) ||
                file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                    static_cast<qint64>(bytes.size()))
                status = 3;
        }
    }
    unzClose(zip);
    return status;
}
