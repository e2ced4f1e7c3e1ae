#include "sheet/CellValue.h"

#include <algorithm>
#include <charconv>

namespace {
constexpr int kMaxSignificantDigits = 15;
// More decimals than this cannot be shown by the number formats of the saved file.
constexpr int kMaxDecimals = 30;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<LosslessNumber> losslessNumber(std::string_view text) {
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        at = 1;
    const size_t integerStart = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    const size_t integerDigits = at - integerStart;
    if (integerDigits == 0 || (integerDigits > 1 && text[integerStart] == '0'))
        return std::nullopt;
    size_t fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        ++at;
        const size_t fractionStart = at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        fractionDigits = at - fractionStart;
        if (fractionDigits == 0)
            return std::nullopt;
    }
    if (at != text.size() || static_cast<int>(fractionDigits) > kMaxDecimals)
        return std::nullopt;

    // Significant digits run from the first non-zero digit to the last digit written.
    int significant = 0;
    bool started = false;
    bool nonZero = false;
    for (size_t i = integerStart; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            continue;
        started = started || text[i] != '0';
        nonZero = nonZero || text[i] != '0';
        if (started)
            ++significant;
    }
    if (significant > kMaxSignificantDigits)
        return std::nullopt;
    // A negative zero would come back without its sign.
    if (negative && !nonZero)
        return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return std::nullopt;
    return LosslessNumber{value, static_cast<int>(fractionDigits)};
}

namespace {
// Room for any double in fixed notation: 309 digits before the point, the decimals after it.
constexpr size_t kFixedRoom = 320 + kMaxDecimals;
} // namespace

std::string formatNumber(double value, int decimals) {
    // The same digits as printf's "%.*f", several times faster (finding in a sheet formats
    // every number cell it passes), and never a locale's decimal comma.
    char buffer[kFixedRoom];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                   std::clamp(decimals, 0, kMaxDecimals))
                         .ptr;
    return std::string(buffer, end);
}

std::string storedNumberText(double value) {
    char buffer[kFixedRoom];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return std::string(buffer, end);
}
