#include "app/reservation.h"

#include "support/os.h"
#include "support/text.h"

#include <cstdio>

namespace quellix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string HourMinute(DateTime value) {
    const TimeParts time = DecodeTime(value);
    return TwoDigits(time.hour) + ":" + TwoDigits(time.minute);
}

std::string FourDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    return text;
}

} // namespace

std::string OneLineValue(std::string_view text) {
    // Byte by byte: the trail byte of a Shift_JIS character is 0x40 or above and never 0x7F, so no
    // character loses a byte, and a control byte after a lead byte is caught all the same.
    std::string line{text};
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return Trim(line);
}

void ClearReservation(TReservation& reservation) {
    reservation = TReservation{};
}

std::string FormatReservationFile(const TReservation& reservation) {
    const DateParts date = DecodeDate(reservation.StartTime);
    std::string out;
    out.reserve(256 + reservation.Station.size() + reservation.Title.size() + reservation.Description.size());
    const auto line = [&](std::string_view text) {
        out += text;
        out += kLineEnd;
    };
    line("Content-type: application/x-tv-program-info; charset=shift_jis");
    line("version: 1");
    line("station: " + OneLineValue(reservation.Station));
    line("year: " + FourDigits(date.year));
    line("month: " + TwoDigits(date.month));
    line("date: " + TwoDigits(date.day));
    line("start: " + HourMinute(reservation.StartTime));
    line("end: " + HourMinute(reservation.EndTime));
    // The title goes in as the tuner gave it: a file of the same name lying about has nothing to
    // do with the recording.
    line("program-title: " + OneLineValue(reservation.Title));
    line("genre: " + std::to_string(reservation.Genre));
    line("");
    line(OneLineValue(reservation.Description));
    line("  ");
    line("");
    return out;
}

std::string ReservationFileName(std::string_view reserveDir, const TReservation& reservation) {
    const DateParts date = DecodeDate(reservation.StartTime);
    const TimeParts time = DecodeTime(reservation.StartTime);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", date.year, date.month, date.day, time.hour, time.minute);
    return std::string{reserveDir} + stamp + TwoDigits(StrToIntDef(reservation.Channel, 0)) + ".tvpi";
}

TaskBooking WriteReservationFile(const TReservation& reservation, std::string_view reserveDir) {
    TaskBooking booking{TaskOutcome::Written, ReservationFileName(reserveDir, reservation), 0};
    const std::string& fileName = booking.FileName;
    // A free name is taken at once. Deleting first would cost as much again for every new file
    // where the system has to search the directory for the name in any letter case (under Wine);
    // a name in use is deleted and created again, so a hidden or read-only file fares as before.
    // A scanner looking at the previous run's file of that name is waited out.
    os::File file = os::OpenFileWaitingOutHolds(fileName, os::OpenMode::CreateNew, os::Share::Read);
    if (!file.IsOpen()) {
        os::RemoveFile(fileName);
        file = os::OpenFileWaitingOutHolds(fileName, os::OpenMode::CreateAlways, os::Share::Read);
        if (!file.IsOpen()) {
            booking.Outcome = TaskOutcome::FileNotCreated;
            booking.ErrorCode = os::LastError();
            return booking;
        }
    }
    // The 14 lines go out in one write.
    if (!file.Write(FormatReservationFile(reservation)) || !file.Close()) {
        booking.Outcome = TaskOutcome::FileNotWritten;
        booking.ErrorCode = os::LastError();
        file.Close();
        os::RemoveFile(fileName);
    }
    return booking;
}

} // namespace quellix
