// The words the program uses for a tuner task's outcome: the harvest logs them, and the check
// quotes the same, so what the check says of a reservation is what the next run will log.
#pragma once

#include "app/reservation.h"
#include "app/task_listing.h"
#include "app/task_outcome.h"

#include <optional>
#include <string>
#include <string_view>

namespace quellix {

struct OutcomeLine {
    std::string Text;
    bool IsError = false;
};

// The log line for a task whose reservation does not reach the host; nullopt for a written file
// (a normal run logs no line per reservation). `reservation` is the task's as BookTunerTask left it.
[[nodiscard]] std::optional<OutcomeLine> TaskOutcomeLine(const TaskBooking& booking, const TReservation& reservation,
                                                         const ListedTask& task, std::string_view deckName);

} // namespace quellix
