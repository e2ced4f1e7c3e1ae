#pragma once

#include "support/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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
