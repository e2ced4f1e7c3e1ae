#pragma once

#include <QString>

class Workbook;

// Saves the workbook as an .xlsx file: sheets in order with their names, numbers as numbers
// shown with their decimals, texts exactly as they stand. The file is written beside the target
// and moved into place only when complete, so a failure never leaves a damaged or half-written
// workbook behind and never destroys an older file. Raises an error saying what went wrong.
void saveAsXlsx(const Workbook& workbook, const QString& path);

// The largest number of characters that one cell of the saved format can hold.
inline constexpr int kMaxCellCharacters = 32767;
