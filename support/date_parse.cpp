#include "support/date_parse.h"

#include "support/os.h"
#include "support/text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace quellix {

namespace {

// The pieces are held as unsigned 16-bit values, so a negative or huge number wraps the way
// it always has; the range checks of the encoders then reject it.
using Part = std::uint16_t;

// Reads the numbers of one text, and notes when one of them is not written out and takes its
// default, or when the text leaves a part out: the lenient parsers go on with the defaults, the
// Try forms give up.
class Reader {
public:
    Part Number(std::string_view piece, int fallback) {
        const std::optional<int> value = TryStrToInt(piece);
        if (!value) {
            guessed = true;
        }
        return static_cast<Part>(value.value_or(fallback));
    }

    // The number written before the first `separator` (the empty text when there is none).
    Part NumberBefore(std::string_view text, char separator, int fallback = 0) {
        const std::size_t at = text.find(separator);
        return Number(at == std::string_view::npos ? std::string_view{} : text.substr(0, at), fallback);
    }

    bool guessed = false;
};

// Drops everything up to and including the first `separator`; nothing when there is none.
void RemoveThrough(std::string_view& text, char separator) {
    const std::size_t at = text.find(separator);
    if (at != std::string_view::npos) {
        text.remove_prefix(at + 1);
    }
}

// What is left before a bracketed weekday ("01(Sun)").
std::string_view WithoutWeekday(std::string_view text) {
    return text.substr(0, text.find('('));
}

// A year by its look: above 31, or written with more than two digits.
bool LooksLikeYear(std::string_view piece, Part value) {
    return value > 31 || std::count_if(piece.begin(), piece.end(), [](unsigned char c) { return std::isdigit(c); }) > 2;
}

struct Ymd {
    Part year{};
    Part month{};
    Part day{};
};

// Month and day in the order the short-date pattern gives.
Ymd WithYear(Part year, Part first, Part second, const DateOrder& order) {
    return order.dayBeforeMonth ? Ymd{year, second, first} : Ymd{year, first, second};
}

// Three numbers split by `separator`. A year that shows itself decides where it stands (first:
// year, month, day whatever the pattern says); otherwise the pattern does, and without one the
// year is first.
Ymd ThreeNumbers(std::string_view text, char separator, const DateOrder& order, Reader& reader) {
    const std::string_view firstPiece = text.substr(0, text.find(separator));
    const Part first = reader.Number(firstPiece, 0);
    RemoveThrough(text, separator);
    const Part second = reader.NumberBefore(text, separator);
    RemoveThrough(text, separator);
    const std::string_view lastPiece = WithoutWeekday(text);
    const Part last = reader.Number(lastPiece, 0);

    Ymd date;
    if (LooksLikeYear(firstPiece, first)) {
        date = {first, second, last};
    } else if (LooksLikeYear(lastPiece, last) || order.year == DateOrder::Year::Last) {
        date = WithYear(last, first, second, order);
    } else if (order.year == DateOrder::Year::First) {
        date = WithYear(first, second, last, order);
    } else {
        return {first, second, last};
    }
    // A two-digit year of a "yy" pattern: the next run time of a task lies ahead, in this century.
    if (order.twoDigitYear && date.year < 100) {
        date.year = static_cast<Part>(date.year + 2000);
    }
    return date;
}

Ymd CompactDate(std::string_view text, Reader& reader) {
    const std::size_t length = Trim(text).size();
    if (length == 6) {
        const Part yy = reader.Number(Copy(text, 1, 2), 70);
        const int century = 1900 + yy < 1920 ? 2000 : 1900;
        return {static_cast<Part>(century + yy), reader.Number(Copy(text, 3, 2), 1),
                reader.Number(Copy(text, 5, 2), 1)};
    }
    if (length == 8) {
        return {reader.Number(Copy(text, 1, 4), 1970), reader.Number(Copy(text, 5, 2), 1),
                reader.Number(Copy(text, 7, 2), 1)};
    }
    reader.guessed = true;
    return {1970, 1, 1};
}

Ymd SplitDate(std::string_view text, int currentYear, const DateOrder& order, Reader& reader) {
    for (const char separator : {'/', '-', '.'}) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) {
            continue;
        }
        if (text.find(separator, at + 1) != std::string_view::npos) {
            return ThreeNumbers(text, separator, order, reader);
        }
        // Two numbers: the year (or, with "-", the day) is not written.
        reader.guessed = true;
        const Part first = reader.Number(text.substr(0, at), 0);
        const std::string_view rest = text.substr(at + 1);
        if (separator == '-') {
            return {first, reader.Number(rest, 0), 1};
        }
        return WithYear(static_cast<Part>(currentYear), first, reader.Number(WithoutWeekday(rest), 0), order);
    }
    if (text.find(':') == std::string_view::npos) {
        return CompactDate(text, reader);
    }
    return ThreeNumbers(text, ':', order, reader);
}

struct Read {
    DateTime value{};
    bool stated{}; // every part of the value is written in the text
};

Read ReadDate(std::string_view text, int currentYear, const DateTimeFormats& formats) {
    Reader reader;
    Ymd date = SplitDate(text, currentYear, ShortDateOrder(formats.ShortDate), reader);
    if (date.month == 0 || date.day == 0) {
        reader.guessed = true;
        date.month = 1;
        date.day = 1;
    }
    if (date.day > 31 && date.year <= 12) {
        date = {date.day, date.year, date.month};
    }
    if (const auto encoded = TryEncodeDate(date.year, date.month, date.day)) {
        return {*encoded, !reader.guessed};
    }
    return {*TryEncodeDate(1970, 1, 1), false};
}

Read ReadTime(std::string_view text, const DateTimeFormats& formats) {
    const TimeWithoutDesignator time = TakeDesignator(text, formats);
    std::string clock = time.text;
    if (const char separator = TimeSeparator(formats.TimeFormat);
        separator != ':' && clock.find(':') == std::string::npos) {
        std::replace(clock.begin(), clock.end(), separator, ':');
    }
    std::string_view rest = clock;
    Reader reader;
    Part hour = 0;
    Part minute = 0;
    Part second = 0;
    if (rest.find(':') != std::string_view::npos) {
        hour = reader.NumberBefore(rest, ':');
        RemoveThrough(rest, ':');
        const bool hasSeconds = rest.find(':') != std::string_view::npos;
        minute = hasSeconds ? reader.NumberBefore(rest, ':') : reader.Number(rest, 0);
        if (hasSeconds) {
            RemoveThrough(rest, ':');
            second = reader.Number(rest, 0);
        }
    } else {
        const std::size_t length = Trim(rest).size();
        if (length == 4 || length == 6) {
            hour = reader.Number(Copy(rest, 1, 2), 0);
            minute = reader.Number(Copy(rest, 3, 2), 0);
            second = length == 6 ? reader.Number(Copy(rest, 5, 2), 0) : Part{0};
        } else {
            reader.guessed = true;
        }
    }
    // A 12-hour clock: 12 AM is midnight, 12 PM noon.
    if (time.half != DayHalf::None && hour <= 12) {
        hour = static_cast<Part>(hour % 12 + (time.half == DayHalf::Afternoon ? 12 : 0));
    }
    // Broadcast-style hours past midnight on a 24-hour clock: 25:30 is 01:30 of the next day.
    const bool nextDay = time.half == DayHalf::None && hour >= 24 && hour <= 35;
    if (const auto encoded = TryEncodeTime(nextDay ? hour - 24 : hour, minute, second)) {
        return {*encoded + (nextDay ? 1.0 : 0.0), !reader.guessed};
    }
    return {0.0, false};
}

std::optional<DateTime> IfStated(const Read& read) {
    return read.stated ? std::optional<DateTime>{read.value} : std::nullopt;
}

} // namespace

DateTime TextToDate(std::string_view text) {
    return TextToDate(text, os::Now().year);
}

DateTime TextToDate(std::string_view text, int currentYear, const DateTimeFormats& formats) {
    return ReadDate(text, currentYear, formats).value;
}

std::optional<DateTime> TryTextToDate(std::string_view text, const DateTimeFormats& formats) {
    return IfStated(ReadDate(text, 1, formats)); // a text without a year is no date here
}

DateTime TextToTime(std::string_view text, const DateTimeFormats& formats) {
    return ReadTime(text, formats).value;
}

std::optional<DateTime> TryTextToTime(std::string_view text, const DateTimeFormats& formats) {
    return IfStated(ReadTime(text, formats));
}

} // namespace quellix
