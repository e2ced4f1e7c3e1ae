#pragma once

#include <QStringList>

#include <cstdio>

// Runs the batch program: the window program's import, driven from the command line, with its
// messages on standard error and the workbook saved instead of shown. Gives the exit status.
int runBatchImport(const QStringList& arguments, std::FILE* input, std::FILE* output,
                   std::FILE* errors);
