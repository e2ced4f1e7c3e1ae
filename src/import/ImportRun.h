#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;

// One press of the start button: checks that a run can start, takes the selected route over
// every listed file with the progress bar, and ends with "Done.". Every failing step is reported
// and the run goes on with its next step.
class ImportRun {
public:
    // `databasePath` is the work database of the route through the database.
    ImportRun(ImportSurface& surface, Dialogs& dialogs, SpreadsheetApplications& applications,
              QString temporaryFolder, QString databasePath);

    void run();

private:
    void routeWithoutDatabase(ReportingProcedure& procedure);

    ImportSurface& m_surface;
    Dialogs& m_dialogs;
    SpreadsheetApplications& m_applications;
    QString m_temporaryFolder;
    QString m_databasePath;
};

// The message for a file that could not be read as XML.
QString errorReadingMessage(const QString& path, const QString& reason, qint64 line,
                            qint64 position);
