// The run controller of the main window: the first activation, the import run, the run-control
// buttons and closing.
#include "ui/main_window_win.h"

#include "app/command_line.h"
#include "app/first_activation.h"
#include "support/message_pump_win.h"
#include "support/os.h"
#include "support/text.h"
#include "ui/main_window_layout.h"

namespace quellix {

void TFormPdigi::FormActivate() {
    if (FActivated) {
        return;
    }
    FActivated = true;
    TFirstActivationSteps steps;
    steps.StartLog = [this] {
        LogFile1.SetLogFileName(RootFile(rootDir_, "pex.log"));
        LogFile1.SetActive(true);
    };
    steps.WriteLog = [this](std::string_view text, bool isError) { return LogFile1.WriteLog(text, isError); };
    steps.ImportChannelFile = [this] { ImportChannelFile(); };
    steps.HideLabelSetting = [this] {
        labelSettingVisible_ = false;
        ::InvalidateRect(window_, nullptr, FALSE);
    };
    steps.DirectoryExists = [](const std::string& directory) { return os::DirectoryExists(directory); };
    steps.RunImport = [this] { RunImport(); };
    steps.AppException = [this](const std::string& message) { AppException(message); };
    steps.Close = [this] { Close(); };
    RunFirstActivation(arguments_, rootDir_, steps, FReserveDir);
}

void TFormPdigi::RunImport() {
    struct DisableRunButtons { // in every case, also when a step raised
        TFormPdigi& form;
        ~DisableRunButtons() {
            form.EnableControl(layout::kIdButtonPlay, false);
            form.EnableControl(layout::kIdButtonStop, false);
            form.EnableControl(layout::kIdButtonSkip, false);
            form.EnableControl(layout::kIdButtonPause, false);
        }
    } guard{*this};
    run_.FSkipRequested = false;
    EnableControl(layout::kIdButtonPause, true);
    // The previous run's files go inside the harvest, once the Task Scheduler's listing was read:
    // a tool that fails must not leave the host an empty directory.
    SetLabel1(layout::kStatusAnalysing);
    SetProgress(50);
    HarvestReservations();
    SetProgress(100);
    SetLabel1(layout::kStatusFinishing);
}

void TFormPdigi::ButtonPlayClick() {
    run_.FPaused = false;
}

void TFormPdigi::ButtonPauseClick() {
    run_.FPaused = true;
    EnableControl(layout::kIdButtonPlay, true);
    EnableControl(layout::kIdButtonPause, false);
    // The interrupted loop is held here, inside this handler, until the pause ends.
    while (run_.FPaused && !run_.FStopRequested && !run_.FSkipRequested) {
        ::Sleep(10);
        PumpMessages();
    }
    if (window_ != nullptr) {
        EnableControl(layout::kIdButtonPlay, false);
        EnableControl(layout::kIdButtonPause, true);
    }
}

void TFormPdigi::ButtonSkipClick() {
    run_.FSkipRequested = true;
    if (SjisPos(layout::kStatusSkipping, label1Text_) == 0) {
        SetLabel1(label1Text_ + layout::kStatusSkipping);
    }
    LogFile1.WriteLog("スキップボタン押下", false);
}

void TFormPdigi::ButtonStopClick() {
    run_.FStopRequested = true;
    EnableControl(layout::kIdButtonPlay, false);
    EnableControl(layout::kIdButtonStop, false);
    EnableControl(layout::kIdButtonSkip, false);
    EnableControl(layout::kIdButtonPause, false);
    // The window closes also when the log cannot take the line: Stop is disabled by now, and
    // the settings window would have no other way to close.
    try {
        LogFile1.WriteLog("停止ボタン押下", false);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

// Closing is a request: the window is destroyed only after the running handler has unwound, so
// a close from inside a nested loop never pulls the window away from under that loop.
void TFormPdigi::Close() {
    if (closeRequested_ || window_ == nullptr) {
        return;
    }
    FormClose();
    closeRequested_ = true;
    SaveSettingsOnAcceptedClose();
    ::ShowWindow(window_, SW_HIDE);
}

void TFormPdigi::FormClose() {
    run_.FStopRequested = true;
}

void TFormPdigi::FormDestroy() {}

} // namespace quellix
