#include "support/date_parse.h"

#include "support/os.h"
#include "support/text.h"

#include <cstdint>
#include <string>

namespace quellix {

namespace {

// The pieces are held as unsigned 16-bit values, so a negative or huge number wraps the way
// it always has; the range checks of the encoders then reject it.
using Part = std::uint16_t;

Part Number(std::string_view piece, int fallback) {
    return static_cast<Part>(StrToIntDef(piece, fallback));
}

// The number written before the first `separator` (the empty text when there is none).
Part NumberBefore(std::string_view text, char separator, int fallback = 0) {
    const std::size_t at = text.find(separator);
    return Number(at == std::string_view::npos ? std::string_view{} : text.substr(0, at), fallback);
}

// Drops everything up to and including the first `separator`; nothing when there is none.
void RemoveThrough(std::string_view& text, char separator) {
    const std::size_t at = text.find(separator);
    if (at != std::string_view::npos) {
        text.remove_prefix(at + 1);
    }
}

// The number of what is left, ignoring a bracketed weekday behind it ("01(Sun)").
Part LastNumber(std::string_view text) {
    const std::size_t bracket = text.find('(');
    return Number(bracket == std::string_view::npos ? text : text.substr(0, bracket), 0);
}

struct Ymd {
    Part year{};
    Part month{};
    Part day{};
};

// Three numbers split by `separator`: year first, unless the last one cannot be a day.
Ymd ThreeNumbers(Part first, std::string_view& rest, char separator) {
    const Part second = NumberBefore(rest, separator);
    RemoveThrough(rest, separator);
    const Part third = LastNumber(rest);
    if (third <= 31) {
        return {first, second, third};
    }
    return {third, first, second};
}

Ymd CompactDate(std::string_view text) {
    const std::size_t length = Trim(text).size();
    if (length == 6) {
        const Part yy = Number(Copy(text, 1, 2), 70);
        const int century = 1900 + yy < 1920 ? 2000 : 1900;
        return {static_cast<Part>(century + yy), Number(Copy(text, 3, 2), 1), Number(Copy(text, 5, 2), 1)};
    }
    if (length == 8) {
        return {Number(Copy(text, 1, 4), 1970), Number(Copy(text, 5, 2), 1), Number(Copy(text, 7, 2), 1)};
    }
    return {1970, 1, 1};
}

Ymd SplitDate(std::string_view text, int currentYear) {
    if (text.find('/') != std::string_view::npos) {
        const Part first = NumberBefore(text, '/');
        RemoveThrough(text, '/');
        if (text.find('/') == std::string_view::npos) {
            return {static_cast<Part>(currentYear), first, LastNumber(text)};
        }
        return ThreeNumbers(first, text, '/');
    }
    if (text.find('-') != std::string_view::npos) {
        const Part first = NumberBefore(text, '-');
        RemoveThrough(text, '-');
        if (text.find('-') == std::string_view::npos) {
            return {first, Number(text, 0), 1};
        }
        return ThreeNumbers(first, text, '-');
    }
    if (text.find(':') == std::string_view::npos) {
        return CompactDate(text);
    }
    const Part first = NumberBefore(text, ':');
    RemoveThrough(text, ':');
    return ThreeNumbers(first, text, ':');
}

DateTime Fallback1970() {
    return *TryEncodeDate(1970, 1, 1);
}

} // namespace

DateTime TextToDate(std::string_view text) {
    return TextToDate(text, os::Now().year);
}

DateTime TextToDate(std::string_view text, int currentYear) {
    Ymd date = SplitDate(text, currentYear);
    if (date.month == 0 || date.day == 0) {
        date.month = 1;
        date.day = 1;
    }
    if (date.day > 31 && date.year <= 12) {
        date = {date.day, date.year, date.month};
    }
    return TryEncodeDate(date.year, date.month, date.day).value_or(Fallback1970());
}

DateTime TextToTime(std::string_view text) {
    Part hour = 0;
    Part minute = 0;
    Part second = 0;
    if (text.find(':') != std::string_view::npos) {
        hour = NumberBefore(text, ':');
        RemoveThrough(text, ':');
        const bool hasSeconds = text.find(':') != std::string_view::npos;
        minute = hasSeconds ? NumberBefore(text, ':') : Number(text, 0);
        if (hasSeconds) {
            RemoveThrough(text, ':');
            second = Number(text, 0);
        }
    } else {
        const std::size_t length = Trim(text).size();
        if (length == 4 || length == 6) {
            hour = Number(Copy(text, 1, 2), 0);
            minute = Number(Copy(text, 3, 2), 0);
            second = length == 6 ? Number(Copy(text, 5, 2), 0) : Part{0};
        }
    }
    // Broadcast-style hours past midnight: 25:30 is 01:30 of the next day.
    const bool nextDay = hour >= 24 && hour <= 35;
    const auto time = TryEncodeTime(nextDay ? hour - 24 : hour, minute, second);
    if (!time) {
        return 0.0;
    }
    return *time + (nextDay ? 1.0 : 0.0);
}

} // namespace quellix
