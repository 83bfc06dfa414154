// The Task Scheduler's "next run time" text as a date-time value.
#pragma once

#include "support/date_formats.h"
#include "support/date_time.h"

#include <optional>
#include <string_view>

namespace quellix {

// "date time" (split at the first blank, e.g. "2009/03/01 21:00:00", "3/1/2009 9:00:00 PM" or
// "2009/03/01 午後 9:00:00"), a date alone (midnight), or the time-first form older Task Scheduler
// versions print ("21:00:00, 2009/03/01", "9:00:00 PM, 3/1/2009"), read in the user's formats.
// Never fails: unreadable parts take the lenient parsers' fallbacks (TextToDate, TextToTime), so
// "N/A" reads as January 1 of the current year.
[[nodiscard]] DateTime ParseTaskDateTime(std::string_view text, const DateTimeFormats& formats = {});

// The same, but nullopt unless the text states a whole date and a time of day (TryTextToDate,
// TryTextToTime): no part of the result is a fallback.
[[nodiscard]] std::optional<DateTime> ReadTaskDateTime(std::string_view text, const DateTimeFormats& formats);

} // namespace quellix
