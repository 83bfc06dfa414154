#include "app/run_controller.h"

#include "app/command_line.h"
#include "app/first_activation.h"
#include "support/os.h"
#include "support/text.h"

#include <exception>

namespace quellix {

namespace {

constexpr const char* kStatusAnalysing = "解析中";
constexpr const char* kStatusFinishing = "終了処理中";
constexpr const char* kStatusSkipping = "スキップ...";

} // namespace

TRunController::TRunController(RunView& view, const RunParts& parts, std::vector<std::string> arguments)
    : view_{view}, parts_{parts}, arguments_{std::move(arguments)} {
    parts_.Run.PumpMessages = [this] { view_.PumpMessages(); };
}

void TRunController::FirstActivation(const std::string& rootDir) {
    TFirstActivationSteps steps;
    steps.StartLog = [this, &rootDir] {
        parts_.LogFile1.SetLogFileName(RootFile(rootDir, "pex.log"));
        parts_.LogFile1.SetActive(true);
    };
    steps.WriteLog = [this](std::string_view text, bool isError) { return parts_.LogFile1.WriteLog(text, isError); };
    steps.ImportChannelFile = [this] { ImportChannelFile(); };
    steps.HideLabelSetting = [this] { view_.HideSettingLabel(); };
    steps.DirectoryExists = [](const std::string& directory) { return os::DirectoryExists(directory); };
    steps.RunImport = [this] { RunImport(); };
    steps.AppException = [this](const std::string& message) { AppException(message); };
    steps.Close = [this] { view_.Close(); };
    RunFirstActivation(arguments_, rootDir, steps, parts_.ReserveDir);
}

void TRunController::RunImport() {
    struct DisableRunButtonsAtEnd { // in every case, also when a step raised
        TRunController& controller;
        ~DisableRunButtonsAtEnd() { controller.DisableRunButtons(); }
    } guard{*this};
    parts_.Run.FSkipRequested = false;
    view_.EnableRunButton(RunButton::Pause, true);
    // The previous run's files go inside the harvest, once the Task Scheduler's listing was read:
    // a tool that fails must not leave the host an empty directory.
    view_.SetStatusText(kStatusAnalysing);
    view_.SetProgress(50);
    HarvestReservations();
    view_.SetProgress(100);
    view_.SetStatusText(kStatusFinishing);
}

void TRunController::RunCheck(HarvestWatch& watch, const std::function<void()>& harvestStarts) {
    checkWatch_ = &watch;
    const auto guarded = [this](auto step) {
        try {
            step();
        } catch (const std::exception& error) {
            AppException(error.what());
        }
    };
    guarded([this] { ImportChannelFile(); });
    harvestStarts();
    guarded([this] { HarvestReservations(); });
    checkWatch_ = nullptr;
}

void TRunController::DisableRunButtons() {
    view_.EnableRunButton(RunButton::Play, false);
    view_.EnableRunButton(RunButton::Stop, false);
    view_.EnableRunButton(RunButton::Skip, false);
    view_.EnableRunButton(RunButton::Pause, false);
}

void TRunController::Play() {
    parts_.Run.FPaused = false;
}

void TRunController::Pause() {
    TRunControl& run = parts_.Run;
    run.FPaused = true;
    view_.EnableRunButton(RunButton::Play, true);
    view_.EnableRunButton(RunButton::Pause, false);
    // The interrupted loop is held here, inside this handler, until the pause ends.
    while (run.FPaused && !run.FStopRequested && !run.FSkipRequested) {
        os::SleepMilliseconds(10);
        view_.PumpMessages();
    }
    view_.EnableRunButton(RunButton::Play, false);
    view_.EnableRunButton(RunButton::Pause, true);
}

void TRunController::Skip() {
    parts_.Run.FSkipRequested = true;
    const std::string status = view_.StatusText();
    if (SjisPos(kStatusSkipping, status) == 0) {
        view_.SetStatusText(status + kStatusSkipping);
    }
    parts_.LogFile1.WriteLog("スキップボタン押下", false);
}

void TRunController::Stop() {
    parts_.Run.FStopRequested = true;
    DisableRunButtons();
    // The window closes also when the log cannot take the line: Stop is disabled by now, and
    // the settings window would have no other way to close.
    try {
        parts_.LogFile1.WriteLog("停止ボタン押下", false);
    } catch (...) {
        view_.Close();
        throw;
    }
    view_.Close();
}

void TRunController::AppException(const std::string& message) noexcept {
    try {
        parts_.LogFile1.WriteLog(message, true);
    } catch (...) {
        // The log itself failed: nothing else can report it, and the program must go on.
    }
}

std::string TRunController::DeckName() const {
    return arguments_.empty() ? std::string{} : DeckNameFromArgument(arguments_.front());
}

} // namespace quellix
