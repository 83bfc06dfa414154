// What became of one tuner task of the listing: the harvest logs it as it is told.
#pragma once

#include <cstdint>
#include <string>

namespace quellix {

enum class TaskOutcome {
    Written,           // its reservation file is in the reserve directory
    NoNextRun,         // the task will not run again: its next-run text holds no date
    UnreadableNextRun, // its next-run text states no whole date and time of day
    NoStation,         // no channel, no row of the deck for the channel, or a blank station
    FileNotCreated,    // the reservation file could not be created; nothing was written
    FileNotWritten,    // the file was created but could not be written whole, and was removed again
};

struct TaskBooking {
    TaskOutcome Outcome = TaskOutcome::Written;
    std::string FileName;        // the reservation file's, once the task has a station
    std::uint32_t ErrorCode = 0; // FileNotCreated, FileNotWritten: the system's error
};

} // namespace quellix
