// The harvest of an import run: the Task Scheduler's listing captured into the work file, read
// line by line, and one iEPG file written into the reserve directory for every tuner task whose
// channel the channel-number table knows for this deck.
#pragma once

#include "app/command_capture.h"
#include "app/task_listing.h"
#include "app/task_outcome_text.h"
#include "channels/table_session.h"
#include "support/run_control.h"
#include "support/date_formats.h"
#include "support/log_file.h"

#include <functional>
#include <optional>
#include <string>

namespace quellix {

// What the check follows of a harvest: every line of the listing once the reader took it, and
// every tuner task with its outcome and the log line that tells it.
class HarvestWatch {
public:
    HarvestWatch() = default;
    HarvestWatch(const HarvestWatch&) = delete;
    HarvestWatch& operator=(const HarvestWatch&) = delete;
    virtual ~HarvestWatch() = default;

    virtual void ListingLine(std::string_view line, const TaskListingReader& listing, bool tunerTask) = 0;
    virtual void TunerTask(const ListedTask& task, const TReservation& reservation, const TaskBooking& booking,
                           const std::optional<OutcomeLine>& logLine) = 0;
    // How the Task Scheduler's tool ended, once it ran.
    virtual void Captured(const FileCapture& tool) = 0;
};

struct HarvestSetup {
    std::string DeckName;        // names the recorder in TableTVChNo
    std::string ReserveDir;      // with a trailing backslash
    std::string WorkFile;        // the temporary directory + "task.csv"; empty when that directory has no usable name
    std::string UnusableWorkDir; // then: its name as code page 932 can show it
    DateTimeFormats Formats;     // the user's, in which the tool prints the next run times
    // Runs the Task Scheduler's listing into the work file, keeping the window responsive while
    // it waits, and tells how it went (RunCommandToFile): a tool that cannot be started writes no
    // file (the harvest removed an earlier one before), nor one ended by the run's stop or time
    // limit.
    std::function<FileCapture(const std::string& workFile)> CaptureListing;
    // The check: the same run, but no reservation file is written and none removed.
    bool Dry = false;
    HarvestWatch* Watch = nullptr;
};

// Logs "Quellix開始", opens the tables, captures and reads the listing, closes the tables and logs
// "Quellix終了", the closing steps also when an error ends the harvest early (the error then goes
// on to the caller). A table that cannot be opened ends the harvest before those steps, as
// TableSession states: the error goes on, no table is written and no end line logged.
// - Without a work file, one error line names its directory and nothing is captured or read.
// - A work file or a reservation file that cannot be written ends the harvest with an IoError;
//   every other outcome of a tuner task is one log line, and the next line is read.
// - A stop request ends the line loop before the next line; `run` pumps messages after every line.
// - The previous run's .tvpi files leave the reserve directory (DeleteOldReservationFiles) only
//   once a listing is read: at its header, or at the tool's note that there are no tasks. A tool
//   that cannot be started, ends with an exit code other than 0, or prints no listing (nothing,
//   or an error text alone) leaves them where they are, with an error line saying what it said.
//   So does a tool ended by the run: by its stop, without a line of its own (the stop has one),
//   or by its time limit, with an error line naming the limit.
void HarvestReservations(const HarvestSetup& setup, const ChannelTables& tables, TRunControl& run, TLogFile& log);

} // namespace quellix
