// A tuner task of the Task Scheduler listing as a reservation: the title, channel and duration
// cut from the recorder's command line (switches /t "title","...", /ch, /time, /powerman), the
// start from the task's next run time.
#pragma once

#include "app/reservation.h"
#include "app/task_listing.h"
#include "app/task_outcome.h"
#include "support/date_formats.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// True when the task's next-run text holds a date: the tool prints "N/A" (or the words of the
// system's language) for a task that will not run again, and such a text has no digit at all.
[[nodiscard]] bool HasNextRunDate(std::string_view nextRun);

// Clears `reservation`, then fills Title, StartTime, EndTime and Channel from a tuner task of the
// listing, the next run time read in the user's formats. The switches are found in any letter
// case, the values are cut from the command line as written. nullopt when the reservation has its
// start; else, with only the title filled, NoNextRun when the task has no next run
// (HasNextRunDate) or UnreadableNextRun when its next-run text states no whole date and time of
// day (ReadTaskDateTime): a guessed start is never recorded.
[[nodiscard]] std::optional<TaskOutcome> ReadTunerTask(const ListedTask& task, TReservation& reservation,
                                                       const DateTimeFormats& formats = {});

// The station name of a channel number, nullopt when there is none.
using StationFinder = std::function<std::optional<std::string>(std::string_view channel)>;

// One tuner task's whole way: read into `reservation` (ReadTunerTask), its station found for its
// channel, its file written into `reserveDir` (WriteReservationFile). A task without a channel,
// or whose station is not found or blank, is NoStation: the host would get no file. Without
// `writeFile` (the check) a task that would be written is Written with its file's name, and
// nothing is written.
[[nodiscard]] TaskBooking BookTunerTask(const ListedTask& task, const StationFinder& findStation,
                                        std::string_view reserveDir, const DateTimeFormats& formats,
                                        TReservation& reservation, bool writeFile = true);

} // namespace quellix
