#pragma once

#include <string>

struct Cell;

// The number formats that number and date cells are shown with, by number: 0 is the general
// format; 1 to 30 show a number with that many decimals; then a whole number with every digit,
// a date, a date with a time of day and 0 to 3 decimals of a second, and a time of day alone
// with 0 to 3 decimals.
inline constexpr int kGeneralFormat = 0;
inline constexpr int kWholeNumberFormat = 31;
inline constexpr int kDateFormat = 32;
inline constexpr int kDateTimeFormats = 33;
inline constexpr int kTimeFormats = 37;
inline constexpr int kNumberFormatCount = 41;

// The format that shows a number or date cell's value exactly as its text was written, in every
// reader of the saved file; 0 (general) for any other cell.
int numberFormatOf(const Cell& cell);

// The format's code in the saved file ("0.00", "yyyy-mm-dd", ...); "General" for 0.
std::string numberFormatCode(int format);

// What a number or date cell shows: the number with its decimals, or the date as it was written.
std::string shownValue(const Cell& cell);
