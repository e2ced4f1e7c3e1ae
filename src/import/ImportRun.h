#pragma once

#include "base/HardStop.h"
#include "base/WorkTexts.h"
#include "import/ImportResult.h"
#include "import/WorkDatabaseSource.h"

#include <QString>
#include <QStringList>

class Dialogs;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;

// One press of the start button: checks that a run can start, takes the selected route over
// every listed file with the progress bar, and ends with "Done.". Every failing step is reported
// and the run goes on with its next step. The run's files go to a private folder of its own
// inside the temporary folder.
class ImportRun {
public:
    // `database` gives the work database of the route through the database; none gives the
    // run a fresh one in its private folder.
    ImportRun(ImportSurface& surface, Dialogs& dialogs, SpreadsheetApplications& applications,
              QString temporaryFolder, WorkDatabaseSource* database);
    // The same with the work database at `databasePath`, made when missing, which is the
    // user's (see WorkDatabaseOwner); "" for none.
    ImportRun(ImportSurface& surface, Dialogs& dialogs, SpreadsheetApplications& applications,
              QString temporaryFolder, const QString& databasePath);
    ~ImportRun();

    // Where the run's CSV texts go: by default every one is a file in the run's folder.
    void setWorkTexts(WorkTexts& texts) { m_texts = &texts; }
    // Has a hard stop remove the run's folder, from its making for as long as `holder` keeps it
    // registered; by default a hard stop leaves the folder, as a first stop does.
    void removeWorkspaceOnHardStop(RemovedOnHardStop& holder) { m_workspaceHolder = &holder; }

    // Runs once and tells what happened.
    ImportResult run();
    // What the run had done when it was abandoned (ProcedureAbandoned): the files it finished,
    // imported or failed, and the instance of a workbook it had begun. A file it was still
    // working on is left out: it was neither.
    const ImportResult& resultSoFar() const { return m_result; }
    // The run's private folder, "" before it is made; known also when the run was abandoned.
    const QString& workspace() const { return m_workspace; }

private:
    ImportResult runSteps();
    void importEveryFile(ReportingProcedure& procedure);
    // Notes how the run is made, for the summary it gathers.
    void beginSummary(ImportRoute route);
    // Completes the summary once the workbook is written, and adds its sheet when asked for.
    void endSummary(double seconds);
    // Ends the run before anything is imported, saying why.
    void stop(ImportResult::Ending ending, const QString& reason);
    // An empty work database in the run's folder.
    HeldWorkDatabase freshWorkDatabase();

    ImportSurface& m_surface;
    Dialogs& m_dialogs;
    SpreadsheetApplications& m_applications;
    QString m_temporaryFolder;
    WorkDatabaseSource* m_database;
    std::unique_ptr<NamedWorkDatabase> m_namedDatabase;
    WorkTexts m_files;
    WorkTexts* m_texts = &m_files;
    ImportResult m_result;
    QString m_workspace;
    RemovedOnHardStop* m_workspaceHolder = nullptr;
};
