#include "app/tuner_task.h"

#include "app/task_date_time.h"
#include "app/task_listing.h"
#include "support/text.h"

#include <cstdio>
#include <optional>

namespace quellix {

namespace {

long long Position(std::string_view needle, std::string_view text) {
    return static_cast<long long>(SjisPos(needle, text));
}

} // namespace

bool HasNextRunDate(std::string_view nextRun) {
    for (const char c : nextRun) {
        if (c >= '0' && c <= '9') {
            return true;
        }
    }
    return false;
}

bool ReadTunerTask(const std::vector<std::string>& fields, TReservation& reservation, const DateTimeFormats& formats) {
    ClearReservation(reservation);
    const std::string& command = fields[kCommandLineField];
    const std::string lower = AsciiLower(command);

    // The title runs from `/t "` to the first `","` anywhere in the command line: the tuner
    // writes /t "title","subtitle".
    const long long titleAt = Position("/t \"", lower);
    const long long quoteAt = Position("\",\"", lower);
    reservation.Title = Trim(Copy(command, titleAt + 4, quoteAt - titleAt - 4));

    const std::string_view nextRun = fields[kNextRunField];
    const std::optional<DateTime> next = HasNextRunDate(nextRun) ? ReadTaskDateTime(nextRun, formats) : std::nullopt;
    if (!next) {
        return false;
    }
    // The task starts the recorder one minute ahead of the programme.
    reservation.StartTime = *next + kOneMinute;

    // "/time <minutes> /powerman": one separator after /time and one before /powerman.
    const long long powerAt = Position("/powerman", lower);
    const long long timeAt = Position("/time", lower);
    const int minutes = StrToIntDef(Trim(Copy(command, timeAt + 6, powerAt - timeAt - 7)), 0);
    reservation.EndTime = reservation.StartTime + (static_cast<double>(minutes) - 1.0) * kOneMinute;

    // The two characters after "/ch" and one separator.
    const long long channelAt = Position("/ch", lower);
    reservation.Channel = Trim(Copy(command, channelAt + 4, 2));
    return true;
}

std::string ReservationFileName(std::string_view reserveDir, const TReservation& reservation) {
    const DateParts date = DecodeDate(reservation.StartTime);
    const TimeParts time = DecodeTime(reservation.StartTime);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", date.year, date.month, date.day, time.hour, time.minute);
    return std::string{reserveDir} + stamp + TwoDigits(StrToIntDef(reservation.Channel, 0)) + ".tvpi";
}

} // namespace quellix
