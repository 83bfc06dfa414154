// The user's date and time formats, as the system prints dates and times for this user (the Task
// Scheduler's listing among others), and what the date and time parsers take from them.
#pragma once

#include <string>
#include <string_view>

namespace quellix {

// Plain data in Shift_JIS; an empty member is not known. The Windows side fills it from the
// user's locale settings (date_formats_win.h); the parsers read every text without it as well.
struct DateTimeFormats {
    std::string ShortDate;    // the short-date pattern: "yyyy/M/d", "M/d/yyyy", "dd.MM.yyyy", ...
    std::string TimeFormat;   // "H:mm:ss", "h:mm:ss tt", "H.mm.ss", ...
    std::string AmDesignator; // "午前", "AM" (empty where the locale has none)
    std::string PmDesignator; // "午後", "PM"
};

// Where a short-date pattern puts the year, and whether the day comes before the month.
struct DateOrder {
    enum class Year { Unknown, First, Last };
    Year year = Year::Unknown;
    bool dayBeforeMonth = false;
    bool twoDigitYear = false; // the pattern writes the year with at most two digits ("yy")
};

[[nodiscard]] DateOrder ShortDateOrder(std::string_view pattern);

// The character between the hours and the minutes of a time format (':' when there is none, or
// more than one).
[[nodiscard]] char TimeSeparator(std::string_view timeFormat);

enum class DayHalf { None, Morning, Afternoon };

struct TimeWithoutDesignator {
    std::string text; // the rest, trimmed; the text unchanged when it has no designator
    DayHalf half = DayHalf::None;
};

// Takes a morning or afternoon designator from the start or the end of a time text: the
// locale's own, or "AM", "PM", "午前", "午後", in any letter case, with or without blanks.
[[nodiscard]] TimeWithoutDesignator TakeDesignator(std::string_view text, const DateTimeFormats& formats);

} // namespace quellix
