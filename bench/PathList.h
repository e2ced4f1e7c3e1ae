#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

// The paths of a list file, one a line, blank lines left out; none (and said so) when the file
// cannot be read.
inline std::optional<QStringList> pathsListedIn(const char* listFile) {
    QFile list(QString::fromLocal8Bit(listFile));
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", listFile);
        return std::nullopt;
    }
    QStringList paths;
    while (!list.atEnd())
        if (const QString line = QString::fromUtf8(list.readLine()).trimmed(); !line.isEmpty())
            paths << line;
    return paths;
}

// The paths of the one list file a benchmark is given; none (and the usage said) otherwise.
inline std::optional<QStringList> pathsOfArguments(int argc, char* argv[], const char* program) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIST.txt\n", program);
        return std::nullopt;
    }
    return pathsListedIn(argv[1]);
}
