#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Writes a file with the given bytes, making its folders; gives its path.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    file.write(bytes);
    return path;
}

// The bytes of a file; "(missing)" when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The text of one file inside a saved workbook, read with the system's unzip.
inline QString xlsxEntry(const QString& xlsx, const QString& name) {
    QProcess unzip;
    unzip.start("unzip", {"-p", xlsx, name});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// Makes small XML files below a root folder from relative paths ("a/b/c.xml").
inline void makeTree(const QString& root, const QStringList& relativePaths) {
    for (const QString& relative : relativePaths)
        writeFile(root + QLatin1Char('/') + relative, "<r/>");
}

// The paths with the root and its separator cut off the front, for short expectations.
inline QStringList relativeTo(const QString& root, const QStringList& paths) {
    QStringList relative;
    for (const QString& path : paths)
        relative << (path.startsWith(root + QLatin1Char('/')) ? path.mid(root.size() + 1) : path);
    return relative;
}
