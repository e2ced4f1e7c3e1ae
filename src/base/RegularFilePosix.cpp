#include "base/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFile(const QString& path, QString& problem, bool* regular) {
    if (regular)
        *regular = true;
    const auto notRegular = [&] {
        if (regular)
            *regular = false;
        return QStringLiteral("not a regular file");
    };
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        const int reason = errno;
        // A socket cannot be opened at all; it is as little a file to read as a FIFO is.
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISSOCK(status.st_mode))
            problem = notRegular();
        else
            problem = QStringLiteral("cannot be read (%1)")
                          .arg(QString::fromLocal8Bit(std::strerror(reason)));
        return -1;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        problem = notRegular();
        return -1;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

int createNewFile(const QString& path) {
    return ::open(QFile::encodeName(path).constData(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}
