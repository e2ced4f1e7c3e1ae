#include "import/ImportRun.h"

#include "import/CsvConversion.h"
#include "import/CsvPaths.h"
#include "import/DatabaseRoute.h"
#include "import/Excel1.h"
#include "import/ImportSurface.h"
#include "import/SpreadsheetOutput.h"
#include "import/TextFiles.h"
#include "platform/Paths.h"
#include "shell/Dialogs.h"
#include "shell/ErrorReport.h"
#include "shell/MousePointer.h"

#include <optional>

QString errorReadingMessage(const QString& path, const QString& reason, qint64 line,
                            qint64 position) {
    return QStringLiteral("Error reading ") + path + QStringLiteral("\r\nerror:") + reason +
           QStringLiteral("\r\nLine:") + QString::number(line) + QStringLiteral("\r\nposition:") +
           QString::number(position);
}

ImportRun::ImportRun(ImportSurface& surface, Dialogs& dialogs,
                     SpreadsheetApplications& applications, QString temporaryFolder,
                     QString databasePath)
    : m_surface(surface), m_dialogs(dialogs), m_applications(applications),
      m_temporaryFolder(std::move(temporaryFolder)), m_databasePath(std::move(databasePath)) {}

void ImportRun::run() {
    ReportingProcedure procedure(m_dialogs, QStringLiteral("PushButton4_Click"));
    procedure.step(100, [&] { m_surface.setMousePointer(MousePointer::Hourglass); });
    const bool abandon =
        procedure.test(102, [&] { return CancelForOpenExcel(m_applications, m_dialogs); });
    if (!abandon) {
        const bool empty = procedure.test(104, [&] { return m_surface.fileCount() < 1; });
        if (empty) {
            procedure.step(106, [&] {
                m_surface.setMousePointer(MousePointer::Default);
                m_dialogs.showMessage(Message{QStringLiteral("No files added.")});
            });
        } else {
            const ImportRoute route = m_surface.importRoute();
            if (route == ImportRoute::Database)
                routeThroughDatabase(m_surface, m_dialogs, m_applications, m_databasePath,
                                     procedure);
            else if (route == ImportRoute::WithoutDatabase)
                routeWithoutDatabase(procedure);
            procedure.step(110, [&] { m_dialogs.showMessage(Message{QStringLiteral("Done.")}); });
            procedure.step(112, [&] { m_surface.setProgress(0); });
        }
    }
    procedure.step(114, [&] { m_surface.setMousePointer(MousePointer::Default); });
}

void ImportRun::routeWithoutDatabase(ReportingProcedure& procedure) {
    QStringList csvPaths;
    CsvPaths paths(m_temporaryFolder);
    const int count = m_surface.fileCount();
    for (int i = 1; i <= count; ++i) {
        procedure.step(116, [&] { m_surface.setProgress(100.0 * i / m_surface.fileCount()); });
        const QString xmlPath = m_surface.fileAt(i);
        std::optional<QString> csvPath;
        procedure.step(118, [&] { csvPath = paths.pathFor(xmlPath); });
        if (!csvPath)
            continue;
        procedure.step(120, [&] {
            TextFileWriter csv(*csvPath);
            const std::optional<XmlError> error =
                ConvertToCSV(xmlPath, ",", [&](std::string_view piece) { csv.append(piece); });
            if (error) {
                m_dialogs.showMessage(Message{
                    errorReadingMessage(xmlPath, error->reason, error->line, error->position)});
                return;
            }
            csv.append("\r\n");
            csv.commit();
            if (FileExists(*csvPath))
                csvPaths << *csvPath;
        });
    }
    procedure.step(122, [&] {
        ImportToExcel(csvPaths, m_surface, m_dialogs, m_applications, m_temporaryFolder);
    });
}
