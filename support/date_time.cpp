#include "support/date_time.h"

#include <cmath>
#include <cstdio>

namespace quellix {

namespace {
constexpr long long kDaysTo18991230 = 693594; // days from 0001-01-01 to 1899-12-30
constexpr long long kMillisecondsPerDay = 86400000;

// Splits a value into whole days and milliseconds of the day, as the calendar reads it: for a
// negative value the fraction still counts forward from midnight.
void Split(DateTime value, long long& days, long long& milliseconds) noexcept {
    const long long total = std::llround(value * kMillisecondsPerDay);
    days = total / kMillisecondsPerDay;
    milliseconds = total % kMillisecondsPerDay;
    if (milliseconds < 0) {
        milliseconds = -milliseconds;
    }
}
} // namespace

bool IsLeapYear(int year) noexcept {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) noexcept {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::optional<DateTime> TryEncodeDate(int year, int month, int day) noexcept {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    long long days = day;
    for (int m = 1; m < month; ++m) {
        days += DaysInMonth(year, m);
    }
    const long long y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    return static_cast<DateTime>(days - kDaysTo18991230 - 1);
}

std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) noexcept {
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || millisecond < 0 ||
        millisecond >= 1000) {
        return std::nullopt;
    }
    const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<DateTime>(ms) / kMillisecondsPerDay;
}

DateParts DecodeDate(DateTime value) noexcept {
    long long days = 0;
    long long ms = 0;
    Split(value, days, ms);
    long long n = days + kDaysTo18991230; // days since 0001-01-01 (0-based)
    if (n < 0) {
        return {};
    }
    int year = 1;
    const long long n400 = n / 146097;
    n %= 146097;
    year += static_cast<int>(n400 * 400);
    long long n100 = n / 36524;
    if (n100 == 4) {
        n100 = 3;
    }
    n -= n100 * 36524;
    year += static_cast<int>(n100 * 100);
    const long long n4 = n / 1461;
    n %= 1461;
    year += static_cast<int>(n4 * 4);
    long long n1 = n / 365;
    if (n1 == 4) {
        n1 = 3;
    }
    n -= n1 * 365;
    year += static_cast<int>(n1);
    int month = 1;
    while (n >= DaysInMonth(year, month)) {
        n -= DaysInMonth(year, month);
        ++month;
    }
    return {year, month, static_cast<int>(n) + 1};
}

TimeParts DecodeTime(DateTime value) noexcept {
    long long days = 0;
    long long ms = 0;
    Split(value, days, ms);
    TimeParts parts;
    parts.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    parts.second = static_cast<int>(ms % 60);
    ms /= 60;
    parts.minute = static_cast<int>(ms % 60);
    parts.hour = static_cast<int>(ms / 60);
    return parts;
}

std::string FormatDate(const DateParts& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string FormatTime(const TimeParts& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

} // namespace quellix
