// TRunController: the run behind the main window. The first activation (log, channel-file import,
// the decision between an import run and the settings window), the import run, and what the
// run-control buttons do. The window owns the log, the tables, the run-control flags and the
// reserve directory, and shows the run through RunView.
#pragma once

#include "app/harvest.h"
#include "app/run_view.h"
#include "channels/table_session.h"
#include "support/log_file.h"
#include "support/run_control.h"

#include <functional>
#include <string>
#include <vector>

namespace quellix {

struct RunParts {
    TLogFile& LogFile1;
    ChannelTables Tables;    // TableTV, TableTVChNo, TableTVChData
    TRunControl& Run;        // FStopRequested, FSkipRequested, FPaused
    std::string& ReserveDir; // FReserveDir
};

class TRunController {
public:
    // `arguments` excludes the program name. The run's loops pump messages through `view`.
    TRunController(RunView& view, const RunParts& parts, std::vector<std::string> arguments);
    TRunController(const TRunController&) = delete;
    TRunController& operator=(const TRunController&) = delete;

    // Starts the log in `rootDir`, imports the channel file, and then either leaves the settings
    // window open or runs the import and closes the window. Every error of a step goes to
    // AppException and the next step runs.
    void FirstActivation(const std::string& rootDir);
    // The check: the channel-file import and the harvest as an import run does them, every error
    // of a step to AppException, but the work file is the check's own and `watch` follows a dry
    // harvest. The caller keeps the tables in memory and the log off the disk; `harvestStarts`
    // is called between the two steps.
    void RunCheck(HarvestWatch& watch, const std::function<void()>& harvestStarts);
    // Resume, Pause, Skip and Stop. Pause holds the caller (a loop's message pump) until Resume,
    // Stop or Skip.
    void Play();
    void Pause();
    void Skip();
    void Stop();

    // The message goes to the log as an error line; a failure of that write is absorbed.
    void AppException(const std::string& message) noexcept;

private:
    void RunImport();
    void DisableRunButtons();
    void HarvestReservations(); // run_controller_harvest_win.cpp
    void ImportChannelFile();   // run_controller_channels_win.cpp
    [[nodiscard]] std::string DeckName() const;

    RunView& view_;
    RunParts parts_;
    std::vector<std::string> arguments_;
    HarvestWatch* checkWatch_ = nullptr; // during RunCheck
};

} // namespace quellix
