#include "app/task_date_time.h"

#include "support/date_parse.h"

#include <optional>

namespace quellix {

namespace {

bool IsTimeCharacter(char c) {
    return (c >= '0' && c <= '9') || c == ':' || c == ' ';
}

// "21:00:00, 2009/03/01": a time (digits and colons, blanks allowed), a comma, at least one
// blank, then a date with no blank or colon in it. Anything else is not this form.
std::optional<DateTime> TimeFirst(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view time = text.substr(0, comma);
    std::string_view date = text.substr(comma + 1);
    if (time.find(':') == std::string_view::npos || date.empty() || date.front() != ' ') {
        return std::nullopt;
    }
    for (const char c : time) {
        if (!IsTimeCharacter(c)) {
            return std::nullopt;
        }
    }
    date.remove_prefix(date.find_first_not_of(' ') == std::string_view::npos ? date.size()
                                                                             : date.find_first_not_of(' '));
    if (date.empty() || date.find_first_of(" :,") != std::string_view::npos) {
        return std::nullopt;
    }
    return TextToDate(date) + TextToTime(time);
}

} // namespace

DateTime ParseTaskDateTime(std::string_view text) {
    if (const auto timeFirst = TimeFirst(text)) {
        return *timeFirst;
    }
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        return TextToDate(text);
    }
    return TextToDate(text.substr(0, blank)) + TextToTime(text.substr(blank + 1));
}

} // namespace quellix
