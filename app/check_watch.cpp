#include "app/check_watch.h"

#include "app/listing_failure.h"
#include "support/date_time.h"
#include "support/text.h"

namespace quellix {

namespace {

std::string StartText(DateTime start) {
    const DateParts date = DecodeDate(start);
    const TimeParts time = DecodeTime(start);
    return std::to_string(date.year) + "/" + TwoDigits(date.month) + "/" + TwoDigits(date.day) + " " +
           TwoDigits(time.hour) + ":" + TwoDigits(time.minute);
}

} // namespace

void CheckWatch::ListingLine(std::string_view line, const TaskListingReader& listing, bool tunerTask) {
    if (listing.HeaderFieldCount() == 0) {
        facts_.Listed = facts_.Listed || IsNoTasksNote(line);
        return;
    }
    facts_.Listed = true;
    if (header_.empty()) {
        header_ = line; // the first line the reader took as the header
        return;
    }
    if (line == header_ || Trim(line).empty()) {
        return;
    }
    ++facts_.TaskCount;
    const std::vector<std::string>& fields = listing.LastFields();
    if (!tunerTask && MentionsTunerProgram(line) && fields.size() > listing.CommandField()) {
        facts_.Others.push_back({fields[1], CommandProgramName(fields[listing.CommandField()])});
    }
}

void CheckWatch::TunerTask(const ListedTask& task, const TReservation& reservation, const TaskBooking& booking,
                           const std::optional<OutcomeLine>& logLine) {
    CheckedTask checked;
    checked.TaskName = task.TaskName;
    checked.Title = reservation.Title;
    checked.NextRun = task.NextRun;
    if (reservation.StartTime != DateTime{}) {
        checked.Start = StartText(reservation.StartTime);
    }
    checked.Channel = reservation.Channel;
    checked.Station = reservation.Station;
    checked.Outcome = booking.Outcome;
    checked.FileName = booking.FileName;
    if (logLine) {
        checked.Reason = logLine->Text;
    }
    facts_.Tasks.push_back(std::move(checked));
}

void CheckWatch::Captured(const FileCapture& tool) {
    facts_.ToolStarted = tool.Status != CaptureStatus::NotStarted;
    facts_.ExitCode = tool.End.ExitCode;
}

} // namespace quellix
