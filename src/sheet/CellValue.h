#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A number read from a cell's text, with the decimals the text showed.
struct LosslessNumber {
    double value;
    int decimals;
};

// The number a text stands for, when reading it as one loses nothing: an optional minus,
// digits without leading zeros, an optional fraction of at most 20 decimals, at most 15
// significant digits. Any other text ("007", "+5", "1e3", "-0", "TRUE", dates) stays text.
std::optional<LosslessNumber> losslessNumber(std::string_view text);
// Whether it does, without reading the number: the same rule at a fraction of the cost.
bool readsAsLosslessNumber(std::string_view text);

// The number as the cell shows it: with exactly the decimals its text had.
std::string formatNumber(double value, int decimals);
// The number as it is stored: the fewest digits that read back as the same number, never in
// exponent form ("100000", "0.00001", "6.9" for a cell that shows "6.90").
std::string storedNumberText(double value);

// How a date cell's text was written: "2024-01-15", "2024-01-15T10:30:00" or "10:30:00".
enum class DateForm : std::uint8_t { Date, DateTime, Time };

// The most decimals of a second that the saved file's date formats can show.
inline constexpr int kMaxSecondDecimals = 3;

// A date or time read from a cell's text: its serial number as the saved file counts days (the
// days since 1899-12-30, the time of day a fraction of a day), how it was written and the
// decimals of its seconds.
struct LosslessDate {
    double serial;
    DateForm form;
    int decimals;
};

// The date or time a text stands for, when it is written in one of the ISO 8601 forms
// "YYYY-MM-DD", "YYYY-MM-DDThh:mm:ss" or "hh:mm:ss" (seconds with up to 3 decimals) and can be
// shown again exactly as written: a real day from 1900-03-01 to 9999-12-31, a real time of day.
// Anything else stays text: a zone ("Z", "+02:00"), other spellings ("15.01.2024", "2024-1-5"),
// "2023-02-29", "24:00:00", a fourth decimal, and the days before March 1900, which the saved
// file's readers count differently from one another.
std::optional<LosslessDate> losslessDate(std::string_view text);

// The date or time as its text was written.
std::string formatDate(double serial, DateForm form, int decimals);
