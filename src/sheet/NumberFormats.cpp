#include "sheet/NumberFormats.h"

#include "sheet/CellValue.h"
#include "sheet/Worksheet.h"

#include <algorithm>
#include <cmath>

namespace {
// At the default width of a column, the general format of the spreadsheet applications shows a
// whole number of 9 digits or more in exponent form ("1.23E+08"), and from 12 digits on it does
// so at any width: such a number is shown through a format that writes every digit.
constexpr double kSmallestWideWholeNumber = 1e8;
} // namespace

int numberFormatOf(const Cell& cell) {
    if (cell.kind == Cell::Kind::Number) {
        if (cell.decimals > 0)
            return cell.decimals;
        return std::fabs(cell.number) >= kSmallestWideWholeNumber ? kWholeNumberFormat
                                                                  : kGeneralFormat;
    }
    if (cell.kind != Cell::Kind::Date)
        return kGeneralFormat;
    // A date's decimals never pass three; the formats' numbers stay within their range anyway.
    const int decimals = std::min<int>(cell.decimals, kMaxSecondDecimals);
    switch (cell.dateForm) {
    case DateForm::Date:
        return kDateFormat;
    case DateForm::DateTime:
        return kDateTimeFormats + decimals;
    case DateForm::Time:
        return kTimeFormats + decimals;
    }
    return kGeneralFormat;
}

std::string numberFormatCode(int format) {
    // Built by appending, since GCC 12 at -O3 warns falsely on a literal joined to a temporary.
    const auto secondDecimals = [](int decimals) {
        std::string code;
        if (decimals > 0)
            code.append(1, '.').append(static_cast<size_t>(decimals), '0');
        return code;
    };
    if (format == kGeneralFormat)
        return "General";
    if (format < kWholeNumberFormat)
        return std::string("0.").append(static_cast<size_t>(format), '0');
    if (format == kWholeNumberFormat)
        return "0";
    if (format == kDateFormat)
        return "yyyy-mm-dd";
    // "mm" between hours and seconds are minutes; the letter T is quoted, as a literal.
    if (format < kTimeFormats)
        return "yyyy-mm-dd\"T\"hh:mm:ss" + secondDecimals(format - kDateTimeFormats);
    return "hh:mm:ss" + secondDecimals(format - kTimeFormats);
}

std::string shownValue(const Cell& cell) {
    if (cell.kind == Cell::Kind::Date)
        return formatDate(cell.number, cell.dateForm, cell.decimals);
    return formatNumber(cell.number, cell.decimals);
}
