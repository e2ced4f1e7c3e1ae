#include "import/CsvPaths.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QDir>

CsvPaths::CsvPaths(QString temporaryFolder) : m_folder(std::move(temporaryFolder)) {
    m_taken.insert(combinedFile(m_folder));
}

QString CsvPaths::combinedFile(const QString& temporaryFolder) {
    return joinPath(temporaryFolder, QStringLiteral("combined.csv"));
}

QString CsvPaths::pathFor(const QString& xmlPath) {
    const QString name = StripExtension(FileNameOf(xmlPath)) + QStringLiteral(".csv");
    QString path = joinPath(m_folder, name);
    for (int number = 2; m_taken.contains(path); ++number) {
        const QString folder = joinPath(m_folder, QStringLiteral("brindlequay-%1").arg(number));
        path = joinPath(folder, name);
        if (!m_taken.contains(path) && !QDir().mkpath(folder))
            throw RuntimeError(QStringLiteral("Cannot create the folder ") + folder);
    }
    m_taken.insert(path);
    return path;
}
