#include "support/date_formats.h"

#include "support/text.h"

#include <vector>

namespace quellix {

namespace {

// One run of the same character of a pattern ("dd", "/", "yyyy").
struct Run {
    char character{};
    std::size_t length{};
};

std::vector<Run> Runs(std::string_view pattern) {
    std::vector<Run> runs;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const char c = pattern[at];
        if (IsSjisLeadByte(static_cast<unsigned char>(c))) {
            at += 2;
            continue;
        }
        std::size_t length = 1;
        while (at + length < pattern.size() && pattern[at + length] == c) {
            ++length;
        }
        runs.push_back({c, length});
        at += length;
    }
    return runs;
}

// True when `at` starts a character of `text` (not the trail byte of a double-byte one).
bool StartsCharacter(std::string_view text, std::size_t at) {
    std::size_t i = 0;
    while (i < at) {
        i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return i == at;
}

} // namespace

DateOrder ShortDateOrder(std::string_view pattern) {
    int year = -1;
    int month = -1;
    int day = -1;
    int fields = 0;
    std::size_t yearLength = 4; // no year in the pattern: not a two-digit one
    for (const Run& run : Runs(pattern)) {
        if (run.character == 'y' && year < 0) {
            year = fields++;
            yearLength = run.length;
        } else if (run.character == 'M' && month < 0) {
            month = fields++;
        } else if (run.character == 'd' && run.length <= 2 && day < 0) { // "ddd" is the weekday
            day = fields++;
        }
    }
    DateOrder order;
    if (month < 0 || day < 0) {
        return order;
    }
    order.dayBeforeMonth = day < month;
    if (year == 0) {
        order.year = DateOrder::Year::First;
    } else if (year == 2) {
        order.year = DateOrder::Year::Last;
    }
    order.twoDigitYear = yearLength <= 2;
    return order;
}

char TimeSeparator(std::string_view timeFormat) {
    const std::vector<Run> runs = Runs(timeFormat);
    for (std::size_t i = 0; i + 2 < runs.size(); ++i) {
        if ((runs[i].character == 'h' || runs[i].character == 'H') && runs[i + 1].length == 1 &&
            runs[i + 2].character == 'm') {
            return runs[i + 1].character;
        }
    }
    return ':';
}

TimeWithoutDesignator TakeDesignator(std::string_view text, const DateTimeFormats& formats) {
    const std::string trimmed = Trim(text);
    const std::string lower = AsciiLower(trimmed);
    const struct {
        std::string_view designator;
        DayHalf half;
    } candidates[] = {{formats.AmDesignator, DayHalf::Morning},
                      {formats.PmDesignator, DayHalf::Afternoon},
                      {"AM", DayHalf::Morning},
                      {"PM", DayHalf::Afternoon},
                      {"午前", DayHalf::Morning},
                      {"午後", DayHalf::Afternoon}};
    for (const auto& candidate : candidates) {
        const std::string designator = AsciiLower(Trim(candidate.designator));
        if (designator.empty()) {
            continue;
        }
        if (lower.starts_with(designator)) {
            return {Trim(std::string_view{trimmed}.substr(designator.size())), candidate.half};
        }
        const std::size_t at = lower.size() - designator.size();
        if (lower.ends_with(designator) && StartsCharacter(trimmed, at)) {
            return {Trim(std::string_view{trimmed}.substr(0, at)), candidate.half};
        }
    }
    return {std::string{text}, DayHalf::None};
}

} // namespace quellix
