#pragma once

#include <QLocale>
#include <QString>

// A sum or an average as the status line shows it, as spreadsheet applications write numbers:
// at most 15 significant digits, so that no binary noise shows; the locale's thousands
// separators; the exponent form only from 1e15 on, where the digits would pass 15, and below
// 1e-9, where they would run past nine zeros after the point (0.0000001 stays as it is).
QString statusNumber(double value, QLocale locale = QLocale());
