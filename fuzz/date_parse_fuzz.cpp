// Any bytes as a date, a time and a task date-time text: no crash, no undefined behaviour, and
// results inside the documented ranges.
#include "app/task_date_time.h"
#include "support/date_parse.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    return 0;
}
