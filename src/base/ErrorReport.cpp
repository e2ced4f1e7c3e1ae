#include "base/ErrorReport.h"

#include "base/RuntimeError.h"

#include <exception>
#include <new>

QString errorReportText(const QString& description, const ProcedureName& where, int stepNumber) {
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + where.module +
           QStringLiteral(".") + where.procedure + QStringLiteral(" ") +
           QStringLiteral("at line ") + QString::number(stepNumber) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + kSupportAddress;
}

QString describeCurrentException() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error.description();
    } catch (const ProcedureAbandoned&) {
        return QStringLiteral("Stopped before it was finished");
    } catch (const std::bad_alloc&) {
        return QStringLiteral("not enough memory");
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

FileProblem problemOfCurrentException() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error.problem();
    } catch (const std::bad_alloc&) {
        return FileProblem::OutOfMemory;
    } catch (...) {
        return FileProblem::Failed;
    }
}

ReportingProcedure::ReportingProcedure(Dialogs& dialogs, ProcedureName name,
                                       std::vector<StepFailure>* failures)
    : m_dialogs(dialogs), m_name(std::move(name)), m_failures(failures) {}

void ReportingProcedure::step(int stepNumber, const std::function<void()>& body) {
    try {
        body();
    } catch (const ProcedureAbandoned&) {
        throw;
    } catch (...) {
        reportCurrentException(stepNumber);
    }
}

bool ReportingProcedure::test(int stepNumber, const std::function<bool()>& condition) {
    try {
        return condition();
    } catch (const ProcedureAbandoned&) {
        throw;
    } catch (...) {
        reportCurrentException(stepNumber);
        return true;
    }
}

void ReportingProcedure::reportCurrentException(int stepNumber) {
    report(stepNumber, describeCurrentException(), problemOfCurrentException());
}

void ReportingProcedure::report(int stepNumber, const QString& description, FileProblem problem) {
    if (m_failures)
        m_failures->push_back({m_name.procedure, stepNumber, description, problem});
    const QString text = errorReportText(description, m_name, stepNumber);
    m_dialogs.showMessage(Message{text, MessageButtons::Ok, MessageIcon::Warning,
                                  QStringLiteral("Application Error"), m_aboutFile});
}

void runUnreportedHandler(Dialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        dialogs.showMessage(
            Message{describeCurrentException(), MessageButtons::Ok, MessageIcon::Critical});
    }
}
