// Date-time values as the program keeps them: a double counting days since 1899-12-30, the
// fraction being the time of day (one minute is 1/1440).
#pragma once

#include <optional>
#include <string>

namespace quellix {

using DateTime = double;

inline constexpr double kMinutesPerDay = 1440.0;
inline constexpr double kOneMinute = 1.0 / kMinutesPerDay;

struct DateParts {
    int year{};
    int month{};
    int day{};
};

struct TimeParts {
    int hour{};
    int minute{};
    int second{};
    int millisecond{};
};

[[nodiscard]] bool IsLeapYear(int year) noexcept;
[[nodiscard]] int DaysInMonth(int year, int month) noexcept;
// nullopt when the parts do not form a date from 0001-01-01 to 9999-12-31.
[[nodiscard]] std::optional<DateTime> TryEncodeDate(int year, int month, int day) noexcept;
// nullopt unless hour < 24, minute < 60, second < 60, millisecond < 1000.
[[nodiscard]] std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond = 0) noexcept;

// The calendar date and time of day of a value (times rounded to the millisecond).
[[nodiscard]] DateParts DecodeDate(DateTime value) noexcept;
[[nodiscard]] TimeParts DecodeTime(DateTime value) noexcept;

// "yyyy-mm-dd" and "hh:nn:ss" with the program's separators.
[[nodiscard]] std::string FormatDate(const DateParts& date);
[[nodiscard]] std::string FormatTime(const TimeParts& time);

} // namespace quellix
