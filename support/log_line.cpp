#include "support/log_line.h"

#include "support/date_time.h"
#include "support/text.h"

namespace quellix {

namespace {
std::string DatePart(const os::LocalDateTime& t) {
    return FormatDate({t.year, t.month, t.day});
}
std::string TimePart(const os::LocalDateTime& t) {
    return FormatTime({t.hour, t.minute, t.second, 0});
}
} // namespace

std::string LogStartLine(const os::LocalDateTime& now) {
    return "--- START ---\t" + DatePart(now) + " " + TimePart(now);
}

std::string LogVersionLine(std::string_view fileVersion) {
    return "Version " + std::string{fileVersion};
}

std::string LogEndLine(const os::LocalDateTime& date, const os::LocalDateTime& time) {
    return "--- END ---\t" + DatePart(date) + "\t" + TimePart(time);
}

std::string LogTextLine(std::string_view logFileName, std::string_view text, bool isError) {
    if (!isError) {
        return std::string{text};
    }
    return ExtractFileName(logFileName) + ": " + std::string{text} + " (C.ERROR)";
}

} // namespace quellix
