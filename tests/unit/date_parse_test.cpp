#include "app/task_date_time.h"
#include "support/date_parse.h"
#include "support/os.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

DateTime Date(int year, int month, int day) {
    return *TryEncodeDate(year, month, day);
}
DateTime Time(int hour, int minute, int second = 0) {
    return *TryEncodeTime(hour, minute, second);
}

struct DateCase {
    const char* text;
    DateTime expected;
};

TEST(TextToDate, ReadsEveryAcceptedForm) {
    const DateCase cases[] = {
        {"2009/03/01", Date(2009, 3, 1)},
        {"2009/03/31", Date(2009, 3, 31)}, // the last day of a long month
        {"03/01/2009", Date(2009, 3, 1)},  // a last number above 31 is the year
        {"3/1", Date(2024, 3, 1)},         // this year
        {"2009/03/01(Sun)", Date(2009, 3, 1)},
        {"2009-03-01", Date(2009, 3, 1)},
        {"03-01-2009", Date(2009, 3, 1)},
        {"2009-03", Date(2009, 3, 1)},
        {"090301", Date(2009, 3, 1)},
        {"190301", Date(2019, 3, 1)},
        {"200301", Date(1920, 3, 1)},
        {"990301", Date(1999, 3, 1)},
        {"090301 ", Date(2009, 3, 1)}, // length measured trimmed, characters counted from the start
        {"20090301", Date(2009, 3, 1)},
        {"2009:03:01", Date(2009, 3, 1)},
        {"12:34", Date(34, 1, 1)},           // second number missing: month and day reset, 34 is the year
        {"  2009/ 03/01", Date(2009, 3, 1)}, // leading blanks of a number are allowed
        {"N/A", Date(2024, 1, 1)},           // nothing readable: January 1 of this year
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToDate(c.text, 2024), c.expected) << c.text;
    }
}

TEST(TextToDate, FallsBackOnImpossibleDates) {
    const DateCase cases[] = {
        {"", Date(1970, 1, 1)},
        {"2009/02/30", Date(1970, 1, 1)},
        {"2009/13/01", Date(1970, 1, 1)},
        {"0/5/7", Date(1970, 1, 1)},      // year 0
        {"2009/00/05", Date(2009, 1, 1)}, // month 0: month and day both become 1
        {"2009/03/00", Date(2009, 1, 1)},
        {"2009/03/01 ", Date(2009, 1, 1)}, // trailing blank: the day is unreadable
        {"12345", Date(1970, 1, 1)},       // compact form of another length
        {"x90301", Date(1970, 3, 1)},      // unreadable YY reads as 70
        {"2009xx01", Date(2009, 1, 1)},    // unreadable month reads as 1
        {"-1/2/3", Date(1970, 1, 1)},      // negative numbers wrap to huge years
        {"99999999999/1/1", Date(1970, 1, 1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToDate(c.text, 2024), c.expected) << c.text;
    }
}

TEST(TextToDate, RotatesOnlyADayAboveThirtyOneWithAYearUpToTwelve) {
    EXPECT_EQ(TextToDate("5-3-2009", 2024), Date(2009, 5, 3)); // month/day/year
    EXPECT_EQ(TextToDate("00030540", 2024), Date(40, 3, 5));   // year 3, day 40: rotated
    EXPECT_EQ(TextToDate("5/40", 2024), Date(1970, 1, 1));     // year 2024: not rotated, invalid
    EXPECT_EQ(TextToDate("3:32:5", 2024), Date(1970, 1, 1));   // month 32, day 5: not rotated
}

TEST(TextToDate, UsesTodaysYearWithoutOne) {
    EXPECT_EQ(TextToDate("3/1"), Date(os::Now().year, 3, 1));
}

struct TimeCase {
    const char* text;
    DateTime expected;
};

TEST(TextToTime, ReadsEveryAcceptedForm) {
    const TimeCase cases[] = {
        {"21:05", Time(21, 5)},
        {"21:05:09", Time(21, 5, 9)},
        {"7:5:3", Time(7, 5, 3)},
        {" 7: 5", Time(7, 5)},
        {"2105", Time(21, 5)},
        {"210509", Time(21, 5, 9)},
        {"2105 ", Time(21, 5)},
        {" 2105", Time(2, 10)}, // characters counted from the untrimmed start
        {"25:30", 1.0 + Time(1, 30)},
        {"24:00", 1.0},
        {"35:59:59", 1.0 + Time(11, 59, 59)},
        {"2530", 1.0 + Time(1, 30)},
        {"21:00:00 PM", Time(21, 0)}, // unreadable seconds read as 0
        {"21:xx", Time(21, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(TextToTime(c.text), c.expected) << c.text;
    }
}

TEST(TextToTime, GivesZeroForImpossibleTimes) {
    for (const char* text : {"36:00", "12:60", "12:00:60", "25:60", "", "21", "21050", "2009/03/01", "-1:00"}) {
        EXPECT_EQ(TextToTime(text), 0.0) << text;
    }
}

TEST(ParseTaskDateTime, AddsDateAndTime) {
    const int year = os::Now().year;
    const DateCase cases[] = {
        {"2009/03/01 21:00:00", Date(2009, 3, 1) + Time(21, 0)},
        {"03/01/2009 21:00", Date(2009, 3, 1) + Time(21, 0)},
        {"2009/03/01 25:30", Date(2009, 3, 2) + Time(1, 30)},
        {"2009/03/01 2130", Date(2009, 3, 1) + Time(21, 30)}, // the compact time
        {"2009/03/01", Date(2009, 3, 1)},
        {"N/A", Date(year, 1, 1)},
        {"2009/03/01  21:00", Date(2009, 3, 1) + Time(21, 0)}, // the rest after the first blank
        // The time-first form of older Task Scheduler versions reads as the same moment.
        {"21:00:00, 2009/03/01", Date(2009, 3, 1) + Time(21, 0)},
        {"21:00, 03/01/2009", Date(2009, 3, 1) + Time(21, 0)},
        {"25:30:00,  2009/03/01", Date(2009, 3, 2) + Time(1, 30)},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ParseTaskDateTime(c.text), c.expected) << c.text;
    }
}

TEST(ParseTaskDateTime, KeepsOtherCommaTextsAsTheyWere) {
    // Not the time-first form: read date-first as always (a time without a blank behind the
    // comma, a date before the comma, a date with more behind it).
    const std::string_view texts[] = {"21:00:00,2009/03/01", "2009/03/01 21:00, x", "21:00:00, 2009/03/01 x",
                                      "9:00:00 PM, 3/1/2009", "21:00:00, "};
    for (const auto text : texts) {
        const std::size_t blank = text.find(' ');
        const DateTime dateFirst = blank == std::string_view::npos
                                       ? TextToDate(text)
                                       : TextToDate(text.substr(0, blank)) + TextToTime(text.substr(blank + 1));
        EXPECT_DOUBLE_EQ(ParseTaskDateTime(text), dateFirst) << text;
    }
}

} // namespace
} // namespace quellix
