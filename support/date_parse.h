// Lenient parsers for the date and time texts of other programs (the Task Scheduler's listing).
// They never fail: unreadable numbers take fixed defaults, an impossible date reads as 1970-01-01
// and an impossible time as 0. The Try forms give nullopt instead wherever the lenient ones
// would put in a value the text does not state.
#pragma once

#include "support/date_formats.h"
#include "support/date_time.h"

#include <optional>
#include <string_view>

namespace quellix {

// A whole day. Accepts three numbers split by "/", "-" or "." (a first number of more than two
// digits or above 31 is the year, followed by month and day; a last one of that kind is the
// year, after month and day in the order of the formats' short-date pattern, month first when
// there is none; small numbers only: the pattern's order), "m/d" (this year), "y-m" (the first
// of that month), compact "yymmdd" / "yyyymmdd", and "a:b:c"; a bracketed weekday behind the day
// is ignored.
[[nodiscard]] DateTime TextToDate(std::string_view text);
// The same with the current year given, for "m/d" texts.
[[nodiscard]] DateTime TextToDate(std::string_view text, int currentYear, const DateTimeFormats& formats = {});
// nullopt for a date the lenient parser would guess in part or in whole: an unreadable number,
// no year or no day in the text, month or day 0, an impossible date.
[[nodiscard]] std::optional<DateTime> TryTextToDate(std::string_view text, const DateTimeFormats& formats);

// A time of day from "h:m", "h:m:s", "hhmm" or "hhmmss" (with the formats' time separator in
// place of ":"); the hours 24 to 35 are times of the next day (25:30 gives one day plus 01:30).
// A morning or afternoon designator before or after the time makes it a 12-hour time: 12 AM is
// 0 h, 1 to 11 PM add 12 hours, 12 PM is 12 h (hours above 12 stay as they are).
[[nodiscard]] DateTime TextToTime(std::string_view text, const DateTimeFormats& formats = {});
// nullopt where the lenient parser gives 0 or reads a number as 0 that is not written.
[[nodiscard]] std::optional<DateTime> TryTextToTime(std::string_view text, const DateTimeFormats& formats);

} // namespace quellix
