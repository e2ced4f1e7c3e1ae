#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Workbook;

// Saves the workbook as an .xlsx file: sheets in order with their names, numbers as numbers
// and dates as dates, each with a number format that shows it as it was written, texts exactly
// as they stand. The file is written beside the target and moved into place only when
// complete, so a failure never leaves a damaged or half-written workbook behind and never
// destroys an older file. A cell the format refuses is left out and
// the rest saved; gives one line for each such cell. A symbolic link at `path` stays, and the
// file it leads to is replaced; a device, FIFO, socket or folder there is refused untouched.
// Raises an error saying what went wrong, and ProcedureAbandoned when a stop was asked for before
// the file took its place. `progressed`, when given, is told the share of the work done, from 0
// to 1, now and then, on the thread that saves.
QStringList saveAsXlsx(const Workbook& workbook, const QString& path,
                       const std::function<void(double share)>& progressed = {});
