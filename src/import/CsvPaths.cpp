#include "import/CsvPaths.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QDir>

CsvPaths::CsvPaths(QString temporaryFolder) : m_folder(std::move(temporaryFolder)) {
    m_timesGiven.insert(FileNameOf(combinedFile(m_folder)).toCaseFolded(), 1);
}

QString CsvPaths::combinedFile(const QString& temporaryFolder) {
    return joinPath(temporaryFolder, QStringLiteral("combined.csv"));
}

namespace {
// A file name has at most 255 bytes, and the writer's "<name>.csv.partial" must fit them too.
constexpr qsizetype kLongestStem = 255 - qsizetype(sizeof(".csv.partial") - 1);

// The part of the name the CSV file is named after, cut at a whole character to fit. Two
// names alike as far as the cut go apart as any two names alike do: in a numbered sub-folder.
QString fittingStem(QString stem) {
    // UTF-8 is never shorter than the UTF-16 that Windows counts its names in.
    while (stem.toUtf8().size() > kLongestStem)
        stem.chop(stem.size() >= 2 && stem.back().isLowSurrogate() ? 2 : 1);
    return stem;
}
} // namespace

QString CsvPaths::pathFor(const QString& xmlPath) {
    const QString name = fittingStem(StripExtension(FileNameOf(xmlPath))) + QStringLiteral(".csv");
    int& given = m_timesGiven[name.toCaseFolded()];
    QString folder = m_folder;
    if (given > 0) {
        folder = joinPath(m_folder, QStringLiteral("brindlequay-%1").arg(given + 1));
        if (!QDir().mkpath(folder))
            throw RuntimeError(QStringLiteral("Cannot create the folder ") + folder);
    }
    ++given;
    return joinPath(folder, name);
}
