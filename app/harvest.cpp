#include "app/harvest.h"

#include "app/listing_failure.h"
#include "app/reservation.h"
#include "app/reserve_cleanup.h"
#include "support/text_file.h"
#include "app/station_lookup.h"
#include "app/task_listing.h"
#include "app/tuner_task.h"
#include "support/errors.h"
#include "support/line_reader.h"
#include "support/os.h"
#include "support/text.h"

#include <exception>
#include <optional>
#include <vector>

namespace quellix {

namespace {

// Closes the tables in their order and writes the end line when the harvest ends, whichever way
// it ends. Every step runs even when an earlier one fails; on the normal path the first failure
// is raised by Finish(), while an error already on its way out wins over a later one.
class HarvestEnd {
public:
    HarvestEnd(const HarvestTables& tables, TLogFile& log) : tables_{tables}, log_{log} {}
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
        const auto step = [&](const auto& action) {
            try {
                action();
            } catch (...) {
                if (!first) {
                    first = std::current_exception();
                }
            }
        };
        step([&] { tables_.TableTV.Close(); });
        step([&] { tables_.TableTVChNo.Close(); });
        step([&] { tables_.TableTVChData.Close(); });
        step([&] { log_.WriteLog("Quellix終了", false); });
        return first;
    }

    const HarvestTables& tables_;
    TLogFile& log_;
    bool finished_ = false;
};

// Opens the tables in their order. When one cannot be opened, those opened before it are closed
// again without being written (the harvest has read nothing, so there is nothing to save) and the
// error goes on: the closing steps belong to a harvest whose tables are open.
void OpenTables(const HarvestTables& tables) {
    TCsvTable* const order[]{&tables.TableTV, &tables.TableTVChNo, &tables.TableTVChData};
    try {
        for (TCsvTable* table : order) {
            table->Open();
        }
    } catch (...) {
        for (TCsvTable* table : order) {
            table->CloseWithoutSaving();
        }
        throw;
    }
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

class Harvest {
public:
    Harvest(const HarvestSetup& setup, const HarvestTables& tables, TLogFile& log)
        : setup_{setup}, tables_{tables}, log_{log} {}

    void TunerTask(const std::vector<std::string>& fields) {
        if (!ReadTunerTask(fields, reservation_, setup_.Formats)) {
            const std::string& nextRun = fields[kNextRunField];
            log_.WriteLog(HasNextRunDate(nextRun)
                              ? "次回実行日時を読み取れません: " + Quoted(reservation_.Title) + " , " + Quoted(nextRun)
                              : "次回実行日時がありません: " + Quoted(reservation_.Title),
                          false);
            return;
        }
        if (!reservation_.Channel.empty()) {
            tables_.TableTVChData.First();
            tables_.TableTVChNo.First();
            if (!stations_) {
                stations_.emplace(tables_.TableTVChNo, setup_.DeckName); // the tables are open now
            }
            if (std::optional<std::string> station = stations_->Find(reservation_.Channel)) {
                reservation_.Station = std::move(*station);
            }
        }
        // No channel, no row, or a row whose station is blank: the host would get no file, and
        // the user must learn why.
        if (OneLineValue(reservation_.Station).empty()) {
            log_.WriteLog("チャンネルエラー: " + Quoted(setup_.DeckName) + " , " + Quoted(reservation_.Channel), false);
            return;
        }
        // A reservation the host does not get is a recording lost: never without a word.
        const std::string fileName = ReservationFileName(setup_.ReserveDir, reservation_);
        if (!WriteReservationFile(reservation_, fileName)) {
            log_.WriteLog("予約ファイル[" + fileName + "]を作成できません: " + SystemErrorText(os::LastError()), true);
        }
    }

private:
    const HarvestSetup& setup_;
    const HarvestTables& tables_;
    TLogFile& log_;
    TReservation reservation_;
    std::optional<StationLookup> stations_;
};

} // namespace

void HarvestReservations(const HarvestSetup& setup, const HarvestTables& tables, TRunControl& run, TLogFile& log) {
    log.WriteLog("Quellix開始", false);
    OpenTables(tables);
    HarvestEnd end{tables, log};

    if (setup.WorkFile.empty()) {
        log.WriteLog("ワークファイルの" + UnusableDirectoryText(setup.UnusableWorkDir), true);
        end.Finish();
        return;
    }
    // A listing left by an earlier harvest must never be read as today's: when the tool cannot
    // start, reservations the user has cancelled since would come back and be recorded.
    os::RemoveFile(setup.WorkFile);
    std::optional<CommandEnd> tool;
    if (setup.CaptureListing) {
        tool = setup.CaptureListing(setup.WorkFile);
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
    {
        const CommandEnd ended = tool.value_or(CommandEnd{});
        LineReader lines{workFile.Handle};
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
            Harvest harvest{setup, tables, log};
            TaskListingReader listing;
            std::vector<std::string> fields;
            while (!lines.Eof() && !run.FStopRequested) {
                const std::string line = lines.ReadLine();
                const bool tunerTask = listing.ReadTunerTask(line, fields);
                if (!listed && (listing.HeaderFieldCount() > 0 || IsNoTasksNote(line))) {
                    listed = true;
                    DeleteOldReservationFiles(setup.ReserveDir, run);
                } else if (!listed) {
                    keepLine(line);
                }
                if (tunerTask && !run.FStopRequested) {
                    harvest.TunerTask(fields);
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
    workFile.Handle.Close();
    end.Finish();
}

} // namespace quellix
