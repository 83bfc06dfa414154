#include "app/first_activation.h"

#include "app/command_line.h"

#include <exception>

namespace quellix {

namespace {

template <typename Step> void Guarded(const TFirstActivationSteps& steps, Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        steps.AppException(error.what());
    } catch (...) {
        steps.AppException("原因の分からないエラーのため、この処理を中断しました");
    }
}

} // namespace

void RunFirstActivation(const std::vector<std::string>& arguments, std::string_view rootDir,
                        const TFirstActivationSteps& steps, std::string& reserveDir) {
    // A log that cannot take its first line (held by another program, a full disk) must not end
    // the activation: an import run would then never run nor close, and the host would wait.
    Guarded(steps, [&] {
        steps.StartLog();
        steps.WriteLog("Quellix", false);
    });
    Guarded(steps, [&] { steps.ImportChannelFile(); });
    if (DecideMode(arguments) != RunMode::Import) {
        return; // the settings window stays open until the user closes it; the check has no window
    }
    Guarded(steps, [&] {
        steps.HideLabelSetting();
        reserveDir = ResolveReserveDir(arguments.front(), rootDir);
        if (steps.DirectoryExists(reserveDir)) {
            steps.RunImport();
        } else {
            steps.WriteLog(reserveDir + "がないので予約状況をを保存できません.", true);
        }
    });
    Guarded(steps, [&] { steps.Close(); });
}

} // namespace quellix
