#include "sheet/CellValue.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

TEST(CellValue, ATextBecomesANumberOnlyWhenNothingIsLost) {
    for (const char* text : {"12.50", "-0.5", "123456789012345", "0.00000000000000000001"}) {
        const auto number = losslessNumber(text);
        ASSERT_TRUE(number) << text;
        EXPECT_EQ(formatNumber(number->value, number->decimals), text);
    }
    EXPECT_EQ(losslessNumber("12.50")->value, 12.5);
    for (const char* text : {"007", "1e3", "1234567890123456789", "-0", "1,000", " 5", "5.", "",
                             "1234567890.1234567", "0.000000000000000000001"})
        EXPECT_FALSE(losslessNumber(text)) << text;
}

namespace {
struct DateCase {
    const char* text;
    double serial;
    DateForm form;
    int decimals;
};

class IsoDate : public testing::TestWithParam<DateCase> {};
} // namespace

// Serials as the saved file counts them: 1 March 1900 is day 61, after the format's 29 February
// 1900 that never was; the time of day is a fraction of a day.
TEST_P(IsoDate, BecomesTheFilesSerialAndShowsAsWritten) {
    const DateCase& expected = GetParam();
    const std::optional<LosslessDate> date = losslessDate(expected.text);
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(date->serial, expected.serial);
    EXPECT_EQ(date->form, expected.form);
    EXPECT_EQ(date->decimals, expected.decimals);
    EXPECT_EQ(formatDate(date->serial, date->form, date->decimals), expected.text);
}

INSTANTIATE_TEST_SUITE_P(
    , IsoDate,
    testing::Values(DateCase{"1900-03-01", 61, DateForm::Date, 0},
                    DateCase{"2000-02-29", 36585, DateForm::Date, 0},
                    DateCase{"2024-01-15", 45306, DateForm::Date, 0},
                    DateCase{"9999-12-31", 2958465, DateForm::Date, 0},
                    DateCase{"2024-01-15T10:30:00", 45306.4375, DateForm::DateTime, 0},
                    DateCase{"2024-01-15T18:00:00.5", 45306.75 + 0.5 / 86400, DateForm::DateTime,
                             1},
                    DateCase{"1900-03-01T00:00:00.000", 61, DateForm::DateTime, 3},
                    DateCase{"00:00:00", 0, DateForm::Time, 0},
                    DateCase{"12:00:00", 0.5, DateForm::Time, 0},
                    DateCase{"06:00:00.25", 0.25 + 0.25 / 86400, DateForm::Time, 2},
                    DateCase{"23:59:59.999", 86399.999 / 86400, DateForm::Time, 3}),
    [](const testing::TestParamInfo<DateCase>& date) {
        return caseName(date.param.text, date.index);
    });

TEST(CellValue, AnyOtherSpellingOfADateStaysText) {
    for (const char* text :
         {// A zone, another order or separator, digits left out or added.
          "2024-01-15T10:30:00Z", "2024-01-15T10:30:00+02:00", "15.01.2024", "01/02/2024",
          "2024-1-5", "20240115", "2024-01-15 10:30:00", "2024-01-15t10:30:00", "2024-01-15T10:30",
          "2024-01-15T", "10:30", "1:30:00", "10:30:00.", "10:30:00,5", "10:30:00.1234",
          "2024-01-15T10:30:00.1234", " 2024-01-15", "2024-01-15 ", "+2024-01-15", "-2024-01-15",
          "2024-01-1a", "2024-01-15T10:3a:00", "T10:30:00",
          // Days and times that never were, years the file cannot show.
          "2023-02-29", "1900-02-29", "2100-02-29", "2024-04-31", "2024-13-01", "2024-00-10",
          "2024-01-00", "24:00:00", "12:60:00", "12:00:60", "2024-01-15T24:00:00", "10000-01-01",
          "0999-12-31", "1899-12-31",
          // Readers count January and February 1900 a day apart from one another.
          "1900-01-01", "1900-02-28", "1900-02-28T12:00:00"})
        EXPECT_FALSE(losslessDate(text)) << text;
}

// Every second of the last day the file can hold, with a changing fraction, comes back as it
// was written: the serial is the one nearest to the exact time, even where a double holds the
// fewest digits of a day.
TEST(CellValue, EveryTimeOfTheLastDayComesBackExactly) {
    const auto two = [](int value) {
        return std::string(1, static_cast<char>('0' + value / 10)) +
               static_cast<char>('0' + value % 10);
    };
    for (int second = 0; second < 86400; ++second) {
        const std::string time = two(second / 3600) + ":" + two(second / 60 % 60) + ":" +
                                 two(second % 60) + "." + std::to_string(100 + second % 900);
        for (const std::string& text : {"9999-12-31T" + time, time, time.substr(0, 8)}) {
            const std::optional<LosslessDate> date = losslessDate(text);
            ASSERT_TRUE(date) << text;
            ASSERT_EQ(formatDate(date->serial, date->form, date->decimals), text);
        }
    }
}

// Every day of the calendar from March 1900 to the end of 9999, and no other, is a date, one
// serial after the one before, and shows again as written.
TEST(CellValue, EveryDayOfTheCalendarIsOneSerialAfterTheDayBefore) {
    double previous = 60;
    int days = 0;
    char text[16];
    for (int year = 1900; year <= 9999; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 31; ++day) {
                std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
                const std::optional<LosslessDate> date = losslessDate(text);
                if (!date)
                    continue;
                ++days;
                ASSERT_EQ(date->serial, previous + 1) << text;
                ASSERT_EQ(formatDate(date->serial, date->form, date->decimals), text);
                previous = date->serial;
            }
    // 1 March 1900 is serial 61, 31 December 9999 serial 2,958,465.
    EXPECT_EQ(previous, 2958465);
    EXPECT_EQ(days, 2958465 - 60);
}
