#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class ImportSurface;
class SpreadsheetApplications;

// One press of the start button: checks that a run can start, takes the selected route over
// every listed file with the progress bar, and ends with "Done.". Every failing step is reported
// and the run goes on with its next step.
class ImportRun {
public:
    ImportRun(ImportSurface& surface, Dialogs& dialogs, SpreadsheetApplications& applications,
              QString temporaryFolder);

    void run();

private:
    void routeWithoutDatabase(class ReportingProcedure& procedure);
    void routeThroughDatabase();

    ImportSurface& m_surface;
    Dialogs& m_dialogs;
    SpreadsheetApplications& m_applications;
    QString m_temporaryFolder;
};

// The message for a file that could not be read as XML.
QString errorReadingMessage(const QString& path, const QString& reason, qint64 line,
                            qint64 position);
