// The main window's first activation: the log's start, the channel-file import, the decision
// between an import run and the settings window, and the import run. The run controller supplies
// the steps; the order and the guards are kept here, where they run without a window.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

struct TFirstActivationSteps {
    std::function<void()> StartLog; // names the log and makes it active: the start record
    std::function<bool(std::string_view text, bool isError)> WriteLog;
    std::function<void()> ImportChannelFile;
    std::function<void()> HideLabelSetting;
    std::function<bool(const std::string& directory)> DirectoryExists;
    std::function<void()> RunImport; // harvests: the previous run's files go once a listing was read
    std::function<void(const std::string& message)> AppException;
    std::function<void()> Close;
};

// Runs the first activation. Every error of a step goes to AppException and the activation goes
// on with the next step; an import run always ends with Close. `reserveDir` is set before the
// import run starts (it stays empty for the settings window).
void RunFirstActivation(const std::vector<std::string>& arguments, std::string_view rootDir,
                        const TFirstActivationSteps& steps, std::string& reserveDir);

} // namespace quellix
