#include "app/harvest.h"

#include "app/listing_failure.h"
#include "app/reservation.h"
#include "app/reserve_cleanup.h"
#include "app/station_lookup.h"
#include "app/task_listing.h"
#include "app/tuner_task.h"
#include "support/errors.h"
#include "support/line_reader.h"
#include "support/os.h"
#include "support/text.h"
#include "support/text_file.h"

#include <exception>
#include <optional>

namespace quellix {

namespace {

// What follows from an unusable temporary folder, and where the user changes it.
constexpr const char* kWorkDirAdvice =
    " タスクの一覧を読めないため予約は取り込みません (一時フォルダーは環境変数 TMP と TEMP で変えられます).";

// Closes the tables in their order and writes the end line when the harvest ends, whichever way
// it ends. The end line is written also when a close fails; on the normal path the first failure
// is raised by Finish(), while an error already on its way out wins over a later one.
class HarvestEnd {
public:
    HarvestEnd(TableSession& tables, TLogFile& log) : tables_{tables}, log_{log} {}
    HarvestEnd(const HarvestEnd&) = delete;
    HarvestEnd& operator=(const HarvestEnd&) = delete;
    ~HarvestEnd() {
        if (!finished_) {
            RunSteps();
        }
    }

    void Finish() {
        finished_ = true;
        if (const std::exception_ptr failure = RunSteps()) {
            std::rethrow_exception(failure);
        }
    }

private:
    std::exception_ptr RunSteps() noexcept {
        std::exception_ptr first;
        try {
            tables_.Close();
        } catch (...) {
            first = std::current_exception();
        }
        try {
            log_.WriteLog("Quellix終了", false);
        } catch (...) {
            if (!first) {
                first = std::current_exception();
            }
        }
        return first;
    }

    TableSession& tables_;
    TLogFile& log_;
    bool finished_ = false;
};

// The tuner tasks of one listing, each booked and its outcome logged.
class Harvest {
public:
    Harvest(const HarvestSetup& setup, TCsvTable& tableTVChNo, TLogFile& log)
        : setup_{setup}, tableTVChNo_{tableTVChNo}, log_{log} {}

    void TunerTask(const ListedTask& task) {
        const TaskBooking booking = BookTunerTask(
            task, [this](std::string_view channel) { return Station(channel); }, setup_.ReserveDir, setup_.Formats,
            reservation_, !setup_.Dry);
        Tell(booking, task);
    }

private:
    std::optional<std::string> Station(std::string_view channel) {
        if (!stations_) {
            stations_.emplace(tableTVChNo_, setup_.DeckName); // the tables are open now
        }
        return stations_->Find(channel);
    }

    // A reservation the host does not get is a recording lost: never without a word.
    void Tell(const TaskBooking& booking, const ListedTask& task) {
        const std::optional<OutcomeLine> line = TaskOutcomeLine(booking, reservation_, task, setup_.DeckName);
        if (setup_.Watch != nullptr) {
            setup_.Watch->TunerTask(task, reservation_, booking, line);
        }
        if (booking.Outcome == TaskOutcome::FileNotWritten) {
            // A disk that takes no more ends the harvest: the error hook logs it.
            ThrowIoError(booking.FileName, booking.ErrorCode);
        }
        if (line) {
            log_.WriteLog(line->Text, line->IsError);
        }
    }

    const HarvestSetup& setup_;
    TCsvTable& tableTVChNo_;
    TLogFile& log_;
    TReservation reservation_;
    std::optional<StationLookup> stations_;
};

// Reads the listing in the work file and books its tuner tasks. The previous run's files leave
// the reserve directory once a listing is read; a tool that failed leaves them, with a line that
// says what it said.
void ReadListing(const HarvestSetup& setup, os::File& workFile, const CommandEnd& ended, TCsvTable& tableTVChNo,
                 TRunControl& run, TLogFile& log) {
    LineReader lines{workFile};
    std::string firstLine; // what the tool said, when it printed no listing
    const auto keepLine = [&firstLine](const std::string& line) {
        if (firstLine.empty()) {
            firstLine = Trim(line);
        }
    };
    // A tool that failed may have printed part of a listing: the reservations it left out would
    // be lost with the previous run's files.
    bool listed = false;
    if (ended.ExitCode == 0) {
        Harvest harvest{setup, tableTVChNo, log};
        TaskListingReader listing;
        while (!lines.Eof() && !run.FStopRequested) {
            const std::string line = lines.ReadLine();
            const std::optional<ListedTask> task = listing.ReadTunerTask(line);
            if (setup.Watch != nullptr) {
                setup.Watch->ListingLine(line, listing, task.has_value());
            }
            if (!listed && (listing.HeaderFieldCount() > 0 || IsNoTasksNote(line))) {
                listed = true;
                if (!setup.Dry) {
                    DeleteOldReservationFiles(setup.ReserveDir, run);
                }
            } else if (!listed) {
                keepLine(line);
            }
            if (task && !run.FStopRequested) {
                harvest.TunerTask(*task);
            }
            run.Pump();
        }
    } else {
        while (firstLine.empty() && !lines.Eof()) {
            keepLine(lines.ReadLine());
        }
    }
    if (!listed && (ended.ExitCode != 0 || !run.FStopRequested)) {
        log.WriteLog(ListingFailureText(ended, firstLine), true);
    }
}

} // namespace

void HarvestReservations(const HarvestSetup& setup, const ChannelTables& tables, TRunControl& run, TLogFile& log) {
    log.WriteLog("Quellix開始", false);
    TableSession session{tables};
    HarvestEnd end{session, log};

    if (setup.WorkFile.empty()) {
        log.WriteLog("一時" + UnusableDirectoryText(setup.UnusableWorkDir) + kWorkDirAdvice, true);
        end.Finish();
        return;
    }
    // A listing left by an earlier harvest must never be read as today's: when the tool cannot
    // start, reservations the user has cancelled since would come back and be recorded.
    os::RemoveFile(setup.WorkFile);
    FileCapture tool;
    if (setup.CaptureListing) {
        tool = setup.CaptureListing(setup.WorkFile);
    }
    if (setup.Watch != nullptr) {
        setup.Watch->Captured(tool);
    }
    switch (tool.Status) {
    case CaptureStatus::Captured:
    case CaptureStatus::NotStarted:
        break;
    case CaptureStatus::FileNotWritten:
        ThrowIoError(setup.WorkFile, tool.ErrorCode); // ends the harvest: the error hook logs it
    case CaptureStatus::Stopped:
        // The listing is not read, so the previous run's files stay; the stop has its own line.
        end.Finish();
        return;
    case CaptureStatus::TimedOut:
        log.WriteLog(ListingTimeoutText(run.ToolTimeLimitMilliseconds), true);
        end.Finish();
        return;
    }
    if (!os::FileExists(setup.WorkFile)) {
        log.WriteLog("ワークファイル[" + setup.WorkFile + "]を作成できません.", true);
        end.Finish();
        return;
    }
    TTextFile workFile{setup.WorkFile, {}};
    if (!OpenForReadRetry(workFile, 0)) {
        log.WriteLog("ワークファイル[" + setup.WorkFile + "]を読み込めません.", true);
        end.Finish();
        return;
    }
    ReadListing(setup, workFile.Handle, tool.End, tables.TableTVChNo, run, log);
    end.Finish();
}

} // namespace quellix
