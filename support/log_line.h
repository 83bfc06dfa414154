// The layout of the lines of pex.log (CR LF is added by the writer).
#pragma once

#include "support/os.h"

#include <string>
#include <string_view>

namespace quellix {

// "--- START ---" TAB "yyyy-mm-dd hh:nn:ss"
[[nodiscard]] std::string LogStartLine(const os::LocalDateTime& now);
// "Version " + the file version (just "Version " without one)
[[nodiscard]] std::string LogVersionLine(std::string_view fileVersion);
// "--- END ---" TAB "yyyy-mm-dd" TAB "hh:nn:ss"
[[nodiscard]] std::string LogEndLine(const os::LocalDateTime& date, const os::LocalDateTime& time);
// The caller's text, or for an error: the log file's own name, ": ", the text, " (C.ERROR)".
[[nodiscard]] std::string LogTextLine(std::string_view logFileName, std::string_view text, bool isError);

} // namespace quellix
