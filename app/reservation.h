// The reservation record that the harvest fills for every tuner task, and its iEPG file
// ("application/x-tv-program-info", .tvpi) as the host takes it from its reserve directory.
#pragma once

#include "app/task_outcome.h"
#include "support/date_time.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quellix {

struct TReservation {
    std::string Station;  // station name as the host knows it
    std::string Channel;  // channel number text of the tuner task, at most 2 characters
    DateTime StartTime{}; // also supplies the file's date fields
    DateTime EndTime{};   // only its time of day is written
    std::string Title;
    std::string Description; // the file's body; never filled by this program
    // Declared by the record's layout, cleared with it, otherwise never set or read.
    std::string Reserved1;
    std::string Reserved2;
    std::string Reserved3;
    std::int32_t Reserved4{};
    std::string Reserved5;
    std::int32_t Reserved6{};
    std::int32_t Reserved7{};
    std::int32_t Reserved8{};
    std::int32_t Reserved9{};
    std::int32_t Reserved10{};
    std::string Reserved11;
    std::int32_t Reserved12{};
    std::int32_t Reserved13{};
    std::string Reserved14;
    std::int32_t Genre{}; // never filled by this program, so always 0
};

// Every text empty, every date-time and number 0.
void ClearReservation(TReservation& reservation);

// A text as the iEPG file takes it on one of its lines: every byte below 0x20 and 0x7F a blank,
// then trimmed. A line break in a station name from a hand-edited table would otherwise start a
// line of its own ("start: 04:00"), and NUL or 0x1A cut the file short for some readers.
[[nodiscard]] std::string OneLineValue(std::string_view text);

// The 14 lines of the iEPG file, each ended by CR LF, the texts as Shift_JIS bytes through
// OneLineValue.
[[nodiscard]] std::string FormatReservationFile(const TReservation& reservation);

// reserveDir + start as "yyyymmddhhnn" + the channel number with at least two digits (0 when the
// channel is no number) + ".tvpi".
[[nodiscard]] std::string ReservationFileName(std::string_view reserveDir, const TReservation& reservation);

// Writes the reservation's iEPG file into `reserveDir` (named by ReservationFileName), replacing
// a file of that name. Another program's brief hold on the name is waited out first. Tells the
// outcome: Written; FileNotCreated (missing directory, access denied, name in use), nothing
// written; FileNotWritten, when a write or the close fails after the file was created: the
// incomplete file is removed, so that the host never takes a reservation cut short.
[[nodiscard]] TaskBooking WriteReservationFile(const TReservation& reservation, std::string_view reserveDir);

} // namespace quellix
