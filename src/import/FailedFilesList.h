#pragma once

#include "import/ImportResult.h"

#include <QString>
#include <QStringList>

// The listed files that a run could not import, in list order, one line each: the path, the
// reason and, for a file that is not well-formed, the line and the position.
QStringList failedFileLines(const ImportResult& result);
// "1 file could not be imported." / "N files could not be imported."
QString failedFilesHeading(qsizetype count);
// What a run stopped by the user did: how many of the listed files were done.
QString stoppedRunMessage(const ImportResult& soFar, int listed);
