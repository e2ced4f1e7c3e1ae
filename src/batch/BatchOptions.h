#pragma once

#include "import/ImportSurface.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the batch program was asked to do.
struct BatchOptions {
    SendMode sendMode = SendMode::OneSheet;
    ImportRoute route = ImportRoute::WithoutDatabase;
    // On the route through the work database: one table per element name across all files.
    bool mergeTables = false;
    // With merged tables: fold what does not repeat into the rows of what does.
    bool foldTables = true;
    QString extension = QStringLiteral("xml");
    QString output;
    // Files and folders in the order given; "-" stands for the paths on standard input.
    QStringList paths;
    bool quiet = false;
    // Leave the run's own folder (its CSV files, its work database) in the temporary folder.
    bool keepWork = false;
    // The work database to import into and keep; "" for a fresh one in the run's folder.
    QString workDatabase;
    // A first sheet "Summary" of the run in the workbook.
    bool summarySheet = false;
    // The JSON file to write the run's summary to; "" for none.
    QString report;
};

// The outcome of reading the command line: options to run with, or a text to print and the
// exit status to end with (help, version, or a usage error).
struct ParsedCommandLine {
    std::optional<BatchOptions> options;
    QString message;
    int exitStatus = 0;
};

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments);

// The lines that tell of a usage error, ending with the hint to the help text.
QString usageErrorText(const QString& problem);
