#include "import/ImportRun.h"

#include "archive/SourceFile.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/MousePointer.h"
#include "base/Paths.h"
#include "base/RunWorkspace.h"
#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "import/DatabaseRoute.h"
#include "import/Excel1.h"
#include "import/FlatteningRoute.h"
#include "import/ImportSurface.h"
#include "import/SummarySheet.h"
#include "import/WindowProcedures.h"
#include "import/WorkDatabaseSource.h"
#include "sheet/Workbook.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QElapsedTimer>

ImportRun::ImportRun(ImportSurface& surface, Dialogs& dialogs,
                     SpreadsheetApplications& applications, QString temporaryFolder,
                     WorkDatabaseSource* database)
    : m_surface(surface), m_dialogs(dialogs), m_applications(applications),
      m_temporaryFolder(std::move(temporaryFolder)), m_database(database) {}

ImportRun::ImportRun(ImportSurface& surface, Dialogs& dialogs,
                     SpreadsheetApplications& applications, QString temporaryFolder,
                     const QString& databasePath)
    : ImportRun(surface, dialogs, applications, std::move(temporaryFolder), nullptr) {
    if (!databasePath.isEmpty()) {
        m_namedDatabase = std::make_unique<NamedWorkDatabase>(databasePath);
        m_database = m_namedDatabase.get();
    }
}

ImportRun::~ImportRun() = default;

ImportResult ImportRun::run() {
    // The archive whose members this thread read last stays open no longer than the run, however
    // the run ends.
    struct ArchivesLetGo {
        ~ArchivesLetGo() { letGoOfArchives(); }
    } archivesLetGo;
    m_result = ImportResult();
    try {
        return runSteps();
    } catch (const ProcedureAbandoned&) {
        // The file being worked on at the stop was neither imported nor failed.
        std::erase_if(m_result.files, [](const FileOutcome& file) {
            return !file.imported && file.reason.isEmpty();
        });
        throw;
    }
}

ImportResult ImportRun::runSteps() {
    ReportingProcedure procedure(m_dialogs, kStartButtonProcedure, &m_result.failures);
    procedure.step(100, [&] { m_surface.setMousePointer(MousePointer::Hourglass); });
    if (procedure.test(102, [&] { return CancelForOpenExcel(m_applications, m_dialogs); })) {
        m_result.ending = ImportResult::Ending::Cancelled;
    } else if (procedure.test(104, [&] { return m_surface.fileCount() < 1; })) {
        m_result.ending = ImportResult::Ending::NoFiles;
        procedure.step(106, [&] {
            m_surface.setMousePointer(MousePointer::Default);
            m_dialogs.showMessage(Message{QStringLiteral("No files added.")});
        });
    } else {
        importEveryFile(procedure);
    }
    procedure.step(152, [&] { m_surface.setMousePointer(MousePointer::Default); });
    return std::move(m_result);
}

void ImportRun::importEveryFile(ReportingProcedure& procedure) {
    const ImportRoute route = m_surface.importRoute();
    QElapsedTimer clock;
    clock.start();
    if (m_surface.gathersSummary())
        beginSummary(route);
    const bool needsWorkspace =
        route == ImportRoute::WithoutDatabase || (route == ImportRoute::Database && !m_database);
    if (needsWorkspace) {
        try {
            const auto make = [this] { return makeRunWorkspace(m_temporaryFolder); };
            m_result.workspace =
                m_workspaceHolder ? (*m_workspaceHolder = RemovedOnHardStop(make)).path() : make();
            m_workspace = m_result.workspace;
        } catch (...) {
            stop(ImportResult::Ending::NoWorkspace, describeCurrentException());
            return;
        }
    }
    if (route == ImportRoute::Database) {
        // Held to the end of the run, so that no other run clears or fills it meanwhile.
        HeldWorkDatabase database = m_database ? m_database->hold(m_dialogs) : freshWorkDatabase();
        if (database.path.isEmpty()) {
            stop(ImportResult::Ending::NoWorkDatabase, database.problem);
            return;
        }
        routeThroughDatabase(m_surface, m_dialogs, m_applications, database.path, database.owner,
                             procedure, m_result);
    } else if (route == ImportRoute::WithoutDatabase) {
        routeWithoutDatabase(m_surface, m_dialogs, m_applications, *m_texts, procedure, m_result);
    }
    if (m_result.summary)
        endSummary(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    // Not a fault, so told once, as information, rather than as each sheet filled up.
    if (!m_result.continued.empty())
        procedure.step(147, [&] {
            QStringList lines;
            for (const ContinuedSheet& continued : m_result.continued)
                lines << continued.description();
            m_dialogs.showMessage(Message{lines.join(QStringLiteral("\r\n")), MessageButtons::Ok,
                                          MessageIcon::Information});
        });
    procedure.step(148, [&] { m_dialogs.showMessage(Message{QStringLiteral("Done.")}); });
    procedure.step(150, [&] { m_surface.setProgress(0); });
}

void ImportRun::beginSummary(ImportRoute route) {
    RunSummary& summary = m_result.summary.emplace();
    summary.started = QDateTime::currentDateTime();
    summary.route = route;
    summary.sendMode = m_surface.sendMode();
    summary.mergesTables = route == ImportRoute::Database && m_surface.mergesTables();
    summary.foldsTables = m_surface.foldsTables();
}

void ImportRun::endSummary(double seconds) {
    RunSummary& summary = *m_result.summary;
    summary.seconds = seconds;
    // A file's size is on the disk already, a member's in its archive's directory: telling it
    // reads none of the file.
    for (FileOutcome& file : m_result.files)
        file.bytes = sourceSize(file.path);
    if (!m_result.spreadsheet || m_result.spreadsheet->workbookCount() < 1)
        return;
    Workbook& workbook = m_result.spreadsheet->activeWorkbook();
    // A new workbook's empty sheets that the run left are not counted as written.
    for (int i = 1; i <= workbook.sheetCount(); ++i)
        if (const std::int64_t cells = workbook.sheet(i).cells().cellCount(); cells > 0) {
            ++summary.sheets;
            summary.cells += cells;
        }
    if (m_surface.addsSummarySheet())
        ReportingProcedure(m_dialogs, kSummarySheetProcedure, &m_result.failures).step(100, [&] {
            addSummarySheet(workbook, m_result);
        });
}

void ImportRun::stop(ImportResult::Ending ending, const QString& reason) {
    m_result.ending = ending;
    m_result.stopReason = reason;
    m_dialogs.showMessage(Message{reason + QStringLiteral("\r\nNothing was imported."),
                                  MessageButtons::Ok, MessageIcon::Critical});
}

HeldWorkDatabase ImportRun::freshWorkDatabase() {
    // No lock is needed: no one else reaches the run's own folder.
    HeldWorkDatabase fresh;
    try {
        const QString path = joinPath(m_result.workspace, QStringLiteral("temp.mdb"));
        makeEmptyDatabase(path);
        fresh.path = path;
    } catch (const RuntimeError& error) {
        fresh.problem = error.description();
    }
    return fresh;
}
