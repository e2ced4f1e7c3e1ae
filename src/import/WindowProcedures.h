#pragma once

#include "base/ErrorReport.h"

// The main window's procedures as the error reports name them. The run of the start button and
// the routines it calls belong to the window; their names, like the step numbers, are the ones
// users quote when they send a report, so they stay as they are.
inline ProcedureName windowProcedure(const QString& name) {
    return {QStringLiteral("Tamsforge2/19/2015.Form1"), name};
}

inline const ProcedureName kStartButtonProcedure =
    windowProcedure(QStringLiteral("PushButton4_Click"));
inline const ProcedureName kCsvConversionProcedure =
    windowProcedure(QStringLiteral("ConvertToCSV"));
inline const ProcedureName kSpreadsheetOutputProcedure =
    windowProcedure(QStringLiteral("ImportToExcel"));
inline const ProcedureName kSummarySheetProcedure =
    windowProcedure(QStringLiteral("AddSummarySheet"));
