#include "app/task_date_time.h"

#include "support/date_parse.h"
#include "support/os.h"

namespace quellix {

namespace {

struct Pieces {
    std::string_view date;
    std::optional<std::string_view> time;
};

// "21:00:00, 2009/03/01": a time (digits and separators, blanks allowed, a designator before or
// after it), a comma, at least one blank, then a date with no blank or colon in it. Anything else
// is not this form.
std::optional<Pieces> TimeFirst(std::string_view text, const DateTimeFormats& formats) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view time = text.substr(0, comma);
    std::string_view date = text.substr(comma + 1);
    if (date.empty() || date.front() != ' ') {
        return std::nullopt;
    }
    const char separator = TimeSeparator(formats.TimeFormat);
    const std::string clock = TakeDesignator(time, formats).text;
    if (clock.find_first_of(std::string{':', separator}) == std::string::npos) {
        return std::nullopt;
    }
    for (const char c : clock) {
        if (!(c >= '0' && c <= '9') && c != ':' && c != separator && c != ' ') {
            return std::nullopt;
        }
    }
    date.remove_prefix(date.find_first_not_of(' ') == std::string_view::npos ? date.size()
                                                                             : date.find_first_not_of(' '));
    if (date.empty() || date.find_first_of(" :,") != std::string_view::npos) {
        return std::nullopt;
    }
    return Pieces{date, time};
}

Pieces Split(std::string_view text, const DateTimeFormats& formats) {
    if (const auto timeFirst = TimeFirst(text, formats)) {
        return *timeFirst;
    }
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        return {text, std::nullopt};
    }
    return {text.substr(0, blank), text.substr(blank + 1)};
}

} // namespace

DateTime ParseTaskDateTime(std::string_view text, const DateTimeFormats& formats) {
    const Pieces pieces = Split(text, formats);
    const DateTime date = TextToDate(pieces.date, os::Now().year, formats);
    return pieces.time ? date + TextToTime(*pieces.time, formats) : date;
}

std::optional<DateTime> ReadTaskDateTime(std::string_view text, const DateTimeFormats& formats) {
    const Pieces pieces = Split(text, formats);
    if (!pieces.time) {
        return std::nullopt;
    }
    const std::optional<DateTime> date = TryTextToDate(pieces.date, formats);
    const std::optional<DateTime> time = TryTextToTime(*pieces.time, formats);
    if (!date || !time) {
        return std::nullopt;
    }
    return *date + *time;
}

} // namespace quellix
