#pragma once

#include "base/Dialogs.h"
#include "base/FileProblem.h"

#include <QString>

#include <functional>
#include <vector>

// Where users send the screenshot of an error report.
inline const QString kSupportAddress = QStringLiteral("support@brindlequay.example");

// Where a procedure stands, as its error reports name it: the module that holds it
// ("Program.Module") and its own name. Each caller names its own procedures.
struct ProcedureName {
    QString module;
    QString procedure;
};

// The text of the uniform error report for an error in one step of a reporting procedure.
QString errorReportText(const QString& description, const ProcedureName& where, int stepNumber);

// The description of the exception being handled; call only inside a catch block.
QString describeCurrentException();
// What the exception being handled means for a file it kept out; call only inside a catch block.
FileProblem problemOfCurrentException();

// Raised to end a procedure at once, as when the window that runs it is closed: it passes
// through every step without being reported.
struct ProcedureAbandoned {};

// A step of a reporting procedure that failed, kept for callers that act on the outcome
// rather than read the reports.
struct StepFailure {
    QString procedure;
    int step = 0;
    QString description;
    FileProblem problem = FileProblem::Failed;
};

// Runs a reporting procedure step by step: an error in a step is reported with that step's
// number and the procedure carries on with its next step, as many times as errors arise.
class ReportingProcedure {
public:
    // Every failure is also added to `failures` when given.
    ReportingProcedure(Dialogs& dialogs, ProcedureName name,
                       std::vector<StepFailure>* failures = nullptr);

    // Runs one step; an error in it is reported and swallowed.
    void step(int stepNumber, const std::function<void()>& body);
    // Runs the test of a conditional; an error in it is reported and counts as passed, so the
    // conditional's body runs.
    bool test(int stepNumber, const std::function<bool()>& condition);

    // Shows the report for the exception being handled; call only inside a catch block.
    void reportCurrentException(int stepNumber);
    // Shows the report for a failure that a step noted without raising it.
    void report(int stepNumber, const QString& description,
                FileProblem problem = FileProblem::Failed);
    // Marks the reports that follow as telling of the failure of the listed file `path`, until
    // it is called again ("" for none).
    void setAboutFile(QString path) { m_aboutFile = std::move(path); }

private:
    Dialogs& m_dialogs;
    ProcedureName m_name;
    std::vector<StepFailure>* m_failures;
    QString m_aboutFile;
};

// Runs an event handler that neither reports nor ignores errors: an error that escapes it is
// shown to the user instead of reaching the event loop.
void runUnreportedHandler(Dialogs& dialogs, const std::function<void()>& handler);
