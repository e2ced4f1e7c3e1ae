#pragma once

#include "support/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#ifdef _WIN32
#include <windows.h>
#endif

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
    return QString::fromUtf8(runProgram("unzip", {"-p", xlsx, name}).output);
}

// The part of sheet `index` of a saved workbook, each shared text written where a cell names
// it ("<c r="A1" t="s"><t>text</t></c>"), so that expectations read as the cells do.
inline QString xlsxSheet(const QString& xlsx, int index) {
    QStringList texts;
    static const QRegularExpression shared(R"(<si><t(?: xml:space="preserve")?>(.*?)</t></si>)",
                                           QRegularExpression::DotMatchesEverythingOption);
    for (const auto& match : shared.globalMatch(xlsxEntry(xlsx, "xl/sharedStrings.xml")))
        texts << match.captured(1);
    QString sheet = xlsxEntry(xlsx, QStringLiteral("xl/worksheets/sheet%1.xml").arg(index));
    static const QRegularExpression named(R"( t="s"><v>(\d+)</v>)");
    QString result;
    qsizetype from = 0;
    for (const auto& match : named.globalMatch(sheet)) {
        result += sheet.mid(from, match.capturedStart() - from);
        result += QStringLiteral(" t=\"s\"><t>%1</t>").arg(texts.value(match.captured(1).toInt()));
        from = match.capturedEnd();
    }
    return result + sheet.mid(from);
}

// "<r><v>first</v>…<v>last</v></r>", each value led by `lead`: a document as long as a test needs.
inline QByteArray numberedValues(int first, int last, const QByteArray& lead = {}) {
    QByteArray xml = "<r>";
    for (int i = first; i <= last; ++i)
        xml += "<v>" + lead + QByteArray::number(i) + "</v>";
    return xml + "</r>";
}

// A document nested `depth` deep with a value at every level: its flattened lines hold about
// depth² / 2 cells, so a file of a few kilobytes takes megabytes on a sheet.
inline QByteArray valueAtEveryLevel(int depth) {
    QByteArray xml;
    for (int level = 0; level < depth; ++level)
        xml += "<e>v";
    for (int level = 0; level < depth; ++level)
        xml += "</e>";
    return xml;
}

// Makes small XML files below a root folder from relative paths ("a/b/c.xml"). A name that
// begins with "." is hidden, as each system knows it: on Windows it is flagged hidden, a file
// hidden and system, as a listing that leaves out only files flagged hidden and archive lists
// it, as one with a dot is listed here.
inline void makeTree(const QString& root, const QStringList& relativePaths) {
    for (const QString& relative : relativePaths) {
        writeFile(root + QLatin1Char('/') + relative, "<r/>");
#ifdef _WIN32
        QString path = root;
        for (const QString& name : relative.split(QLatin1Char('/'))) {
            path += QLatin1Char('/') + name;
            const bool file = path.size() == root.size() + 1 + relative.size();
            if (name.startsWith(QLatin1Char('.')) && name != QLatin1String("."))
                SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()),
                                   FILE_ATTRIBUTE_HIDDEN | (file ? FILE_ATTRIBUTE_SYSTEM : 0));
        }
#endif
    }
}

// The paths with "/" as their separator, as the expectations are written; on Windows the
// program joins with "\\".
inline QStringList withSlashes(const QStringList& paths) {
    QStringList slashed;
    for (const QString& path : paths)
        slashed << QDir::fromNativeSeparators(path);
    return slashed;
}

// The paths with the root and its separator cut off the front, for short expectations.
inline QStringList relativeTo(const QString& root, const QStringList& paths) {
    QStringList relative;
    const QString prefix = QDir::fromNativeSeparators(root) + QLatin1Char('/');
    for (const QString& path : withSlashes(paths))
        relative << (path.startsWith(prefix) ? path.mid(prefix.size()) : path);
    return relative;
}
