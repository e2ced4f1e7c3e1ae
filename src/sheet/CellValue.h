#pragma once

#include <optional>
#include <string>
#include <string_view>

// A number read from a cell's text, with the decimals the text showed.
struct LosslessNumber {
    double value;
    int decimals;
};

// The number a text stands for, when reading it as one loses nothing: an optional minus,
// digits without leading zeros, an optional fraction, at most 15 significant digits. Any other
// text ("007", "+5", "1e3", "-0", "TRUE", dates) stays text.
std::optional<LosslessNumber> losslessNumber(std::string_view text);

// The number as the cell shows it: with exactly the decimals its text had.
std::string formatNumber(double value, int decimals);
// The number as it is stored: the fewest digits that read back as the same number, never in
// exponent form ("100000", "0.00001", "6.9" for a cell that shows "6.90").
std::string storedNumberText(double value);
