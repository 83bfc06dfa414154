// A tuner task of the Task Scheduler listing as a reservation: the title, channel and duration
// cut from the recorder's command line (switches /t "title","...", /ch, /time, /powerman), the
// start from the task's next run time.
#pragma once

#include "app/reservation.h"
#include "support/date_formats.h"

#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// True when the task's next-run text holds a date: the tool prints "N/A" (or the words of the
// system's language) for a task that will not run again, and such a text has no digit at all.
[[nodiscard]] bool HasNextRunDate(std::string_view nextRun);

// Clears `reservation`, then fills Title, StartTime, EndTime and Channel from the fields of a
// tuner task (IsTunerTask), the next run time read in the user's formats. The switches are found
// in any letter case, the values are cut from the command line as written. Returns false, with
// only the title filled, when the task has no next run (HasNextRunDate) or its next-run text
// states no whole date and time of day (ReadTaskDateTime): a guessed start is never recorded.
bool ReadTunerTask(const std::vector<std::string>& fields, TReservation& reservation,
                   const DateTimeFormats& formats = {});

// reserveDir + start as "yyyymmddhhnn" + the channel number with at least two digits (0 when the
// channel is no number) + ".tvpi".
[[nodiscard]] std::string ReservationFileName(std::string_view reserveDir, const TReservation& reservation);

} // namespace quellix
