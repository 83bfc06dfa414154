// The Task Scheduler tool's listing, judged before the previous run's files leave the reserve
// directory: a listing was read, or the tool failed and its log line says what it said.
#pragma once

#include "app/command_capture.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quellix {

// True for the tool's note that there are no tasks to list ("INFO: There are no scheduled tasks
// presently available at your access level.", on a Japanese system "情報: ..."): a listing with
// nothing in it, so every reservation has gone.
[[nodiscard]] bool IsNoTasksNote(std::string_view line);

// The text of the error line for a listing that was not read: what the tool said (its error
// output, else the first line it printed) on one line and cut to a readable length, and its
// exit code.
[[nodiscard]] std::string ListingFailureText(const CommandEnd& end, std::string_view firstOutputLine);

// The text of the error line for a tool that was ended because it had not ended within its limit.
[[nodiscard]] std::string ListingTimeoutText(std::uint32_t limitMilliseconds);

} // namespace quellix
