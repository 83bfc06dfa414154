// Any bytes as a date, a time and a task date-time text, read with formats taken from the same
// bytes: no crash, no undefined behaviour, results inside the documented ranges, and a strictly
// read next run time equal to the lenient reading.
#include "app/task_date_time.h"
#include "support/date_parse.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The next line of `rest` (up to a line feed), taken off it.
std::string TakeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string line{rest.substr(0, end)};
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text{reinterpret_cast<const char*>(data), size};
    const quellix::DateTime date = quellix::TextToDate(text, 2024);
    const quellix::DateTime time = quellix::TextToTime(text);
    const quellix::DateTime both = quellix::ParseTaskDateTime(text);
    // Dates lie between 0001-01-01 and 9999-12-31 and are whole days; times below two days.
    if (!(date >= -693594.0 && date <= 2958465.0) || date != std::floor(date) || !(time >= 0.0 && time < 2.0) ||
        !std::isfinite(both)) {
        std::abort();
    }
    // The first four lines as the user's formats, the rest as the next run time.
    std::string_view rest = text;
    quellix::DateTimeFormats formats;
    formats.ShortDate = TakeLine(rest);
    formats.TimeFormat = TakeLine(rest);
    formats.AmDesignator = TakeLine(rest);
    formats.PmDesignator = TakeLine(rest);
    const quellix::DateTime lenient = quellix::ParseTaskDateTime(rest, formats);
    if (const auto strict = quellix::ReadTaskDateTime(rest, formats); strict && *strict != lenient) {
        std::abort();
    }
    return 0;
}
