#include "import/FailedFilesList.h"

QStringList failedFileLines(const ImportResult& result) {
    QStringList lines;
    for (const FileOutcome& file : result.files) {
        if (file.imported)
            continue;
        QString line = file.path + QStringLiteral(": ") +
                       (file.reason.isEmpty() ? QStringLiteral("not imported") : file.reason);
        // Reasons may span lines; the list keeps one line per file.
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (file.line > 0)
            line += QStringLiteral(" (line %1, position %2)").arg(file.line).arg(file.position);
        lines << line;
    }
    return lines;
}

QString failedFilesHeading(qsizetype count) {
    return count == 1 ? QStringLiteral("1 file could not be imported.")
                      : QStringLiteral("%1 files could not be imported.").arg(count);
}

QString stoppedRunMessage(const ImportResult& soFar, int listed) {
    return QStringLiteral("Importing stopped: %1 of %2 files were done.")
        .arg(soFar.importedCount())
        .arg(listed);
}
