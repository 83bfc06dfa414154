// The Task Scheduler's "next run time" text as a date-time value.
#pragma once

#include "support/date_time.h"

#include <string_view>

namespace quellix {

// "date time" (split at the first blank, e.g. "2009/03/01 21:00:00" or "03/01/2009 21:00"), a
// date alone (midnight), or the time-first form older Task Scheduler versions print
// ("21:00:00, 2009/03/01"). Never fails: unreadable parts take the lenient parsers' fallbacks
// (TextToDate, TextToTime), so "N/A" reads as January 1 of the current year.
[[nodiscard]] DateTime ParseTaskDateTime(std::string_view text);

} // namespace quellix
