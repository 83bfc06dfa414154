// Lenient parsers for the date and time texts of other programs (the Task Scheduler's listing).
// They never fail: unreadable numbers take fixed defaults, an impossible date reads as 1970-01-01
// and an impossible time as 0.
#pragma once

#include "support/date_time.h"

#include <string_view>

namespace quellix {

// A whole day. Accepts "y/m/d", "m/d/y" (a last number above 31 is the year), "m/d" (this year),
// the same with "-" ("y-m" is the first of that month), compact "yymmdd" / "yyyymmdd", and
// "a:b:c"; a bracketed weekday behind the day is ignored.
[[nodiscard]] DateTime TextToDate(std::string_view text);
// The same with the current year given, for "m/d" texts.
[[nodiscard]] DateTime TextToDate(std::string_view text, int currentYear);

// A time of day from "h:m", "h:m:s", "hhmm" or "hhmmss"; the hours 24 to 35 are times of the next
// day (25:30 gives one day plus 01:30).
[[nodiscard]] DateTime TextToTime(std::string_view text);

} // namespace quellix
