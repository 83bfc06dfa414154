#include "app/task_date_time.h"
#include "support/date_formats.h"
#include "support/date_parse.h"
#include "support/os.h"

#include <optional>

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
    EXPECT_EQ(TextToDate("00030405", 2024), Date(3, 4, 5));    // year 3, day 5: not rotated
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
        {"21:00:00 PM", Time(21, 0)}, // an hour above 12 stays as it is
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

TEST(TryEncodeDate, KnowsTheLeapYears) {
    const struct {
        int year, month, day;
        bool valid;
    } cases[] = {
        {2024, 2, 29, true},  {2000, 2, 29, true},  {2023, 2, 29, false}, {1900, 2, 29, false},
        {2009, 4, 31, false}, {2009, 12, 31, true}, {9999, 12, 31, true}, {10000, 1, 1, false},
        {0, 1, 1, false},     {1, 1, 1, true},      {2009, 13, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryEncodeDate(c.year, c.month, c.day).has_value(), c.valid)
            << c.year << "-" << c.month << "-" << c.day;
    }
    EXPECT_EQ(Date(2008, 3, 1) - Date(2008, 2, 1), 29.0);
    EXPECT_EQ(Date(2009, 3, 1) - Date(2008, 3, 1), 365.0);
}

TEST(TryEncodeTime, RefusesEachPartPastItsRange) {
    const struct {
        int hour, minute, second, millisecond;
        bool valid;
    } cases[] = {
        {23, 59, 59, 999, true}, {24, 0, 0, 0, false},   {0, 60, 0, 0, false},
        {0, 0, 60, 0, false},    {0, 0, 0, 1000, false}, {-1, 0, 0, 0, false},
        {0, -1, 0, 0, false},    {0, 0, -1, 0, false},   {0, 0, 0, -1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryEncodeTime(c.hour, c.minute, c.second, c.millisecond).has_value(), c.valid)
            << c.hour << ":" << c.minute << ":" << c.second << "." << c.millisecond;
    }
}

// The short-date pattern decides the order; a double-byte character in it is passed over whole.
TEST(ShortDateOrder, ReadsTheRunsOfThePattern) {
    const struct {
        const char* pattern;
        DateOrder::Year year;
        bool dayBeforeMonth;
    } cases[] = {
        {"yyyy/MM/dd", DateOrder::Year::First, false},
        {"dd.MM.yyyy", DateOrder::Year::Last, true},
        {"M/d/yyyy", DateOrder::Year::Last, false},
        {"d日M月yyyy年", DateOrder::Year::Last, true},
    };
    for (const auto& c : cases) {
        const DateOrder order = ShortDateOrder(c.pattern);
        EXPECT_EQ(order.year, c.year) << c.pattern;
        EXPECT_EQ(order.dayBeforeMonth, c.dayBeforeMonth) << c.pattern;
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
                                      "21:00:00, "};
    for (const auto text : texts) {
        const std::size_t blank = text.find(' ');
        const DateTime dateFirst = blank == std::string_view::npos
                                       ? TextToDate(text)
                                       : TextToDate(text.substr(0, blank)) + TextToTime(text.substr(blank + 1));
        EXPECT_DOUBLE_EQ(ParseTaskDateTime(text), dateFirst) << text;
    }
}

// The next run time as the tool prints it in the user's formats; nullopt where the text states no
// whole date and time of day, which the lenient parser would fill in with a guess.
TEST(ReadTaskDateTime, ReadsTheNextRunTimeInTheUsersFormats) {
    const DateTimeFormats none;
    const DateTimeFormats japanese{"yyyy/M/d", "H:mm:ss", "午前", "午後"};
    const DateTimeFormats japanese12{"yyyy/MM/dd", "tt h:mm:ss", "午前", "午後"};
    const DateTimeFormats japaneseShortYear{"yy/MM/dd", "H:mm:ss", "午前", "午後"};
    const DateTimeFormats enUs{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
    const DateTimeFormats enUsShortYear{"M/d/yy", "h:mm:ss tt", "AM", "PM"};
    const DateTimeFormats enGb{"dd/MM/yyyy", "HH:mm:ss", "am", "pm"};
    const DateTimeFormats deDe{"dd.MM.yyyy", "HH:mm:ss", "", ""};
    const DateTimeFormats fiFi{"d.M.yyyy", "H.mm.ss", "ap.", "ip."};
    const DateTimeFormats dotted12{"d/M/yyyy", "h.mm.ss tt", "am", "pm"};
    const DateTimeFormats iso{"yyyy-MM-dd", "HH:mm:ss", "AM", "PM"};
    const DateTimeFormats enIn{"dd-MM-yyyy", "HH:mm:ss", "AM", "PM"};
    const DateTimeFormats esMx{"dd/MM/yyyy", "hh:mm:ss tt", "a. m.", "p. m."};
    const DateTime march1 = Date(2009, 3, 1);
    const struct {
        const DateTimeFormats& formats;
        const char* text;
        std::optional<DateTime> expected;
    } cases[] = {
        // The listings of the existing tests: the same moments in the Japanese and the C locale.
        {japanese, "2009/03/01 21:00:00", march1 + Time(21, 0)},
        {enUs, "2009/03/01 21:00:00", march1 + Time(21, 0)},
        {japanese, "2009/03/02 9:05:00", Date(2009, 3, 2) + Time(9, 5)},
        {japanese, "21:00:00, 2009/03/01", march1 + Time(21, 0)},
        {enUs, "21:00:00, 2009/03/01", march1 + Time(21, 0)},
        {japanese, "03/01/2009 21:00", march1 + Time(21, 0)},
        {none, "2009/03/01 2130", march1 + Time(21, 30)},
        {japanese, "2019/5/16 9:50:05", Date(2019, 5, 16) + Time(9, 50, 5)},
        // Twelve-hour clocks: the designator before or after, any case, with or without a blank.
        {japanese12, "2009/03/01 午後 9:00:00", march1 + Time(21, 0)},
        {japanese12, "2009/03/01 午後9:00:00", march1 + Time(21, 0)},
        {japanese12, "2009/03/01 午前 12:30:00", march1 + Time(0, 30)},
        {japanese12, "2009/03/01 午後 12:05:00", march1 + Time(12, 5)},
        {enUs, "3/1/2009 9:00:00 PM", march1 + Time(21, 0)},
        {enUs, "3/1/2009 12:30:00 AM", march1 + Time(0, 30)},
        {enUs, "3/14/2024 6:59:36 PM", Date(2024, 3, 14) + Time(18, 59, 36)},
        {enUs, "11/30/1999 12:00:00 AM", Date(1999, 11, 30)},
        {enUs, "3/1/2009 12:00:00 PM", march1 + Time(12, 0)},
        {enUs, "3/1/2009 9:00:00pm", march1 + Time(21, 0)},
        {enUs, "3/1/2009 Pm 9:00:00", march1 + Time(21, 0)},
        {enUs, "3/1/2009 11:59:59 AM", march1 + Time(11, 59, 59)},
        {none, "3/1/2009 9:00:00 PM", march1 + Time(21, 0)}, // the usual designators without the formats
        {enGb, "01/03/2009 9:00:00 pm", march1 + Time(21, 0)},
        {esMx, "01/03/2009 09:00:00 p. m.", march1 + Time(21, 0)},
        {esMx, "01/03/2009 12:15:00 a. m.", march1 + Time(0, 15)},
        // Day first, and other separators.
        {enGb, "01/03/2009 21:00:00", march1 + Time(21, 0)},
        {enGb, "2009/03/01 21:00:00", march1 + Time(21, 0)}, // a four-digit year first: year, month, day
        {deDe, "01.03.2009 21:00:00", march1 + Time(21, 0)},
        {fiFi, "1.3.2009 21.00.00", march1 + Time(21, 0)},
        {dotted12, "1/3/2009 9.00.00 pm", march1 + Time(21, 0)},
        {iso, "2023-03-31 18:00:00", Date(2023, 3, 31) + Time(18, 0)},
        {japaneseShortYear, "09/03/01 21:00:00", march1 + Time(21, 0)},
        {japaneseShortYear, "99/03/01 21:00:00", Date(2099, 3, 1) + Time(21, 0)}, // a next run lies ahead
        {enUsShortYear, "3/1/09 9:00:00 PM", march1 + Time(21, 0)},
        // The time first, as XP prints it.
        {enIn, "04:00:00, 09-10-2011", Date(2011, 10, 9) + Time(4, 0)},
        {none, "04:00:00, 09-10-2011", Date(2011, 9, 10) + Time(4, 0)},
        {enUs, "9:00:00 PM, 3/1/2009", march1 + Time(21, 0)},
        {japanese12, "午後 9:00:00, 2009/03/01", march1 + Time(21, 0)},
        // Broadcast hours past midnight, on a 24-hour clock only.
        {japanese, "2009/03/01 25:30:00", Date(2009, 3, 2) + Time(1, 30)},
        {enUs, "3/1/2009 25:30:00 PM", std::nullopt},
        // No whole date and time of day: nothing is guessed.
        {japanese, "2009/02/30 21:00:00", std::nullopt}, // no such day
        {japanese, "2009/00/05 21:00:00", std::nullopt}, // month 0
        {japanese, "3/1 21:00:00", std::nullopt},        // no year
        {japanese, "2009-03 21:00:00", std::nullopt},    // no day
        {japanese, "12345 21:00:00", std::nullopt},      // a compact date of another length
        {japanese, "2009/03/01", std::nullopt},          // no time
        {japanese, "2009/03/01 21:xx", std::nullopt},
        {japanese, "2009/03/01 21", std::nullopt},
        {japanese, "2009/03/01 36:00:00", std::nullopt},
        {enUs, "3/1/2009 9:00:00 p.m.", std::nullopt}, // a designator the locale does not have
        {japanese, "Next 1", std::nullopt},
        {japanese, "N/A", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<DateTime> read = ReadTaskDateTime(c.text, c.formats);
        ASSERT_EQ(read.has_value(), c.expected.has_value()) << c.text;
        if (read) {
            EXPECT_NEAR(*read, *c.expected, 1e-9) << c.text;
            EXPECT_NEAR(ParseTaskDateTime(c.text, c.formats), *c.expected, 1e-9) << c.text;
        }
    }
}

} // namespace
} // namespace quellix
