#include "app/tuner_task.h"

#include "app/task_date_time.h"
#include "app/task_listing.h"
#include "support/text.h"

#include <optional>

namespace quellix {

namespace {

long long Position(std::string_view needle, std::string_view text) {
    return static_cast<long long>(SjisPos(needle, text));
}

// `lower` with the title's switch, the title and the value after it blanked out, so that a switch
// is found only outside them; the positions of everything else stay. The value after the title
// is the title again when it repeats it, else it ends at the first double quote followed by a
// blank or the end. Without a closing `","` after `/t "`, the title's end is unknown and nothing
// is blanked.
std::string WithoutTitle(std::string lower, long long titleAt, long long quoteAt) {
    if (titleAt <= 0 || quoteAt <= titleAt) {
        return lower;
    }
    const auto begin = static_cast<std::size_t>(titleAt - 1);
    auto end = static_cast<std::size_t>(quoteAt + 2); // just after `","`
    const std::string title = Copy(lower, titleAt + 4, quoteAt - titleAt - 4);
    if (std::string_view{lower}.substr(end).starts_with(title + '"')) {
        end += title.size() + 1;
    } else {
        for (std::size_t i = end; i < lower.size(); ++i) {
            if (lower[i] == '"' && (i + 1 == lower.size() || lower[i + 1] == ' ' || lower[i + 1] == '\t')) {
                end = i + 1;
                break;
            }
        }
    }
    lower.replace(begin, end - begin, end - begin, ' ');
    return lower;
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

std::optional<TaskOutcome> ReadTunerTask(const ListedTask& task, TReservation& reservation,
                                         const DateTimeFormats& formats) {
    ClearReservation(reservation);
    const std::string& command = task.CommandLine;
    const std::string lower = AsciiLower(command);

    // The title runs from `/t "` to the first `","` after it: the tuner writes /t "title","title"
    // (a second value that repeats the title, or a subtitle).
    const long long titleAt = Position("/t \"", lower);
    long long quoteAt = 0;
    if (titleAt > 0) {
        const long long after =
            Position("\",\"", std::string_view{lower}.substr(static_cast<std::size_t>(titleAt + 3)));
        quoteAt = after > 0 ? titleAt + 3 + after : 0;
    }
    if (quoteAt == 0) {
        quoteAt = Position("\",\"", lower);
    }
    reservation.Title = Trim(Copy(command, titleAt + 4, quoteAt - titleAt - 4));
    if (!HasNextRunDate(task.NextRun)) {
        return TaskOutcome::NoNextRun;
    }
    const std::optional<DateTime> next = ReadTaskDateTime(task.NextRun, formats);
    if (!next) {
        return TaskOutcome::UnreadableNextRun;
    }
    // The task starts the recorder one minute ahead of the programme.
    reservation.StartTime = *next + kOneMinute;

    // The switches are read outside the title and the value after it: a title such as
    // "MUSIC/CH 8 LIVE" or "SHOW/TIME" must not book another channel or change the end.
    const std::string switches = WithoutTitle(lower, titleAt, quoteAt);

    // "/time <minutes> /powerman": one separator after /time and one before /powerman.
    const long long powerAt = Position("/powerman", switches);
    const long long timeAt = Position("/time", switches);
    const int minutes = StrToIntDef(Trim(Copy(command, timeAt + 6, powerAt - timeAt - 7)), 0);
    reservation.EndTime = reservation.StartTime + (static_cast<double>(minutes) - 1.0) * kOneMinute;

    // The two characters after "/ch" and one separator.
    const long long channelAt = Position("/ch", switches);
    reservation.Channel = Trim(Copy(command, channelAt + 4, 2));
    return std::nullopt;
}

TaskBooking BookTunerTask(const ListedTask& task, const StationFinder& findStation, std::string_view reserveDir,
                          const DateTimeFormats& formats, TReservation& reservation, bool writeFile) {
    if (const std::optional<TaskOutcome> stopped = ReadTunerTask(task, reservation, formats)) {
        return {*stopped, {}, 0};
    }
    if (!reservation.Channel.empty()) {
        if (std::optional<std::string> station = findStation(reservation.Channel)) {
            reservation.Station = std::move(*station);
        }
    }
    if (OneLineValue(reservation.Station).empty()) {
        return {TaskOutcome::NoStation, {}, 0};
    }
    if (!writeFile) {
        return {TaskOutcome::Written, ReservationFileName(reserveDir, reservation), 0};
    }
    return WriteReservationFile(reservation, reserveDir);
}

} // namespace quellix
