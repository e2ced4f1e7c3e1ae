#include "sheet/CellValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
constexpr int kMaxSignificantDigits = 15;
// More decimals than this are not shown by every spreadsheet application that opens the saved
// file (some stop at 20 and show zeros or rounded digits past them), so such a text stays text.
constexpr int kMaxDecimals = 20;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

namespace {
// The decimals of a text that reads as a number without loss, by its characters alone. One pass:
// every value of a run is read by it, some twice.
std::optional<int> losslessDecimals(std::string_view text) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = at != end && *at == '-';
    if (negative)
        ++at;
    // Significant digits run from the first non-zero digit to the last digit written.
    int significant = 0;
    bool started = false;
    const auto digits = [&] {
        const char* const first = at;
        for (; at != end && isDigit(*at); ++at) {
            started = started || *at != '0';
            significant += started ? 1 : 0;
        }
        return static_cast<size_t>(at - first);
    };
    const char* const integerStart = at;
    const size_t integerDigits = digits();
    if (integerDigits == 0 || (integerDigits > 1 && *integerStart == '0'))
        return std::nullopt;
    size_t fractionDigits = 0;
    if (at != end && *at == '.') {
        ++at;
        fractionDigits = digits();
        if (fractionDigits == 0)
            return std::nullopt;
    }
    if (at != end || static_cast<int>(fractionDigits) > kMaxDecimals ||
        significant > kMaxSignificantDigits)
        return std::nullopt;
    // A negative zero would come back without its sign.
    if (negative && !started)
        return std::nullopt;
    return static_cast<int>(fractionDigits);
}
} // namespace

bool readsAsLosslessNumber(std::string_view text) {
    return losslessDecimals(text).has_value();
}

std::optional<LosslessNumber> losslessNumber(std::string_view text) {
    const std::optional<int> decimals = losslessDecimals(text);
    if (!decimals)
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return std::nullopt;
    return LosslessNumber{value, *decimals};
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

namespace {
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1970-01-01 of a day of the Gregorian calendar, for any year.
constexpr std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t{era} * 146097 + dayOfEra - 719468;
}

struct CivilDay {
    int year, month, day;
};

constexpr CivilDay civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = static_cast<int>(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0), month, day};
}

// Day 0 of the saved file's serial numbers. Its first two months of 1900 count a 29 February
// that never was, so only from 1 March 1900 on do its serials and the calendar agree.
constexpr std::int64_t kSerialEpoch = daysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstAgreeingDay = daysFromCivil(1900, 3, 1);
static_assert(kFirstAgreeingDay - kSerialEpoch == 61);

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The number written by `count` digits from `at`, or -1 when one of them is no digit.
int digitsAt(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

struct TimeOfDay {
    std::int64_t milliseconds;
    int decimals;
};

// "hh:mm:ss" with up to three decimals of a second, and nothing else.
std::optional<TimeOfDay> timeOfDay(std::string_view text) {
    if (text.size() < 8 || text[2] != ':' || text[5] != ':')
        return std::nullopt;
    const int hours = digitsAt(text, 0, 2);
    const int minutes = digitsAt(text, 3, 2);
    const int seconds = digitsAt(text, 6, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return std::nullopt;
    int decimals = 0;
    int milliseconds = 0;
    if (text.size() > 8) {
        decimals = static_cast<int>(text.size()) - 9;
        if (text[8] != '.' || decimals < 1 || decimals > kMaxSecondDecimals)
            return std::nullopt;
        milliseconds = digitsAt(text, 9, static_cast<size_t>(decimals));
        if (milliseconds < 0)
            return std::nullopt;
        for (int i = decimals; i < kMaxSecondDecimals; ++i)
            milliseconds *= 10;
    }
    return TimeOfDay{((hours * 60 + minutes) * 60 + seconds) * std::int64_t{1000} + milliseconds,
                     decimals};
}

// Days since the serials' day 0 of "YYYY-MM-DD", when it is a real day the serials count
// as the calendar does.
std::optional<std::int64_t> serialDay(std::string_view text) {
    if (text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, month, day);
    if (days < kFirstAgreeingDay)
        return std::nullopt;
    return days - kSerialEpoch;
}

// The serial nearest to the exact count of milliseconds, so that every reader rounding to the
// format's decimals comes back to the written time.
double serialOf(std::int64_t days, std::int64_t milliseconds) {
    return static_cast<double>(days * kMillisecondsPerDay + milliseconds) /
           static_cast<double>(kMillisecondsPerDay);
}

char* twoDigits(int value, char* out) {
    *out++ = static_cast<char>('0' + value / 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
}
} // namespace

std::optional<LosslessDate> losslessDate(std::string_view text) {
    // Most texts are ruled out by their first character or their length.
    constexpr size_t kDateLength = 10;
    constexpr size_t kLongestTime = 9 + kMaxSecondDecimals;
    if (text.size() < 8 || text.size() > kDateLength + 1 + kLongestTime || !isDigit(text[0]))
        return std::nullopt;
    if (text.size() >= kDateLength && text[4] == '-') {
        const std::optional<std::int64_t> day = serialDay(text.substr(0, kDateLength));
        if (!day)
            return std::nullopt;
        if (text.size() == kDateLength)
            return LosslessDate{static_cast<double>(*day), DateForm::Date, 0};
        if (text[kDateLength] != 'T')
            return std::nullopt;
        const std::optional<TimeOfDay> time = timeOfDay(text.substr(kDateLength + 1));
        if (!time)
            return std::nullopt;
        return LosslessDate{serialOf(*day, time->milliseconds), DateForm::DateTime, time->decimals};
    }
    const std::optional<TimeOfDay> time = timeOfDay(text);
    if (!time)
        return std::nullopt;
    return LosslessDate{serialOf(0, time->milliseconds), DateForm::Time, time->decimals};
}

std::string formatDate(double serial, DateForm form, int decimals) {
    if (!(serial >= 0 && serial < 1e7))
        return {};
    const auto milliseconds =
        static_cast<std::int64_t>(std::llround(serial * static_cast<double>(kMillisecondsPerDay)));
    const std::int64_t days = milliseconds / kMillisecondsPerDay;
    const std::int64_t ofDay = milliseconds % kMillisecondsPerDay;
    char text[32];
    char* at = text;
    if (form != DateForm::Time) {
        const CivilDay day = civilFromDays(kSerialEpoch + days);
        at = twoDigits(day.year / 100, at);
        at = twoDigits(day.year % 100, at);
        *at++ = '-';
        at = twoDigits(day.month, at);
        *at++ = '-';
        at = twoDigits(day.day, at);
        if (form == DateForm::Date)
            return std::string(text, at);
        *at++ = 'T';
    }
    const auto seconds = static_cast<int>(ofDay / 1000);
    at = twoDigits(seconds / 3600, at);
    *at++ = ':';
    at = twoDigits(seconds / 60 % 60, at);
    *at++ = ':';
    at = twoDigits(seconds % 60, at);
    if (decimals > 0) {
        *at++ = '.';
        const auto thousandths = static_cast<int>(ofDay % 1000);
        const char digits[] = {static_cast<char>('0' + thousandths / 100),
                               static_cast<char>('0' + thousandths / 10 % 10),
                               static_cast<char>('0' + thousandths % 10)};
        at = std::copy_n(digits, std::min(decimals, kMaxSecondDecimals), at);
    }
    return std::string(text, at);
}
