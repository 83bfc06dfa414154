// The import run's harvest step: the system's Task Scheduler tool, the work file in the system's
// temporary directory, and the portable harvest.
#include "app/run_controller.h"

#include "app/command_capture.h"
#include "app/harvest.h"
#include "support/cp932_win.h"
#include "support/date_formats_win.h"
#include "support/system_folders_win.h"

#include <windows.h>

namespace quellix {

namespace {

// The tool is started by its full path: by a bare name the system would look in the program's
// own directory and the current directory first, where anything called schtasks.exe could lie.
std::string TaskSchedulerQuery() {
    wchar_t directory[MAX_PATH]{};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    const std::wstring systemDir{directory, length < MAX_PATH ? length : 0};
    std::string commandLine{"\""};
    commandLine += SjisPathFromWide(systemDir).value_or(SjisFromWide(systemDir)); // "?" starts nothing
    commandLine += "\\schtasks.exe\" /query /fo csv /v";
    return commandLine;
}

} // namespace

void TRunController::HarvestReservations() {
    HarvestSetup setup;
    setup.DeckName = DeckName();
    setup.ReserveDir = parts_.ReserveDir;
    // The system's own temporary directory, by its short name when code page 932 cannot hold its
    // own (a user name with é or 𠮷): a look-alike name would be a directory that does not exist.
    const TempDirectory temp = SystemTempDirectory();
    if (temp.path) {
        setup.WorkFile = *temp.path + (checkWatch_ != nullptr ? "quellix-check-task.csv" : "task.csv");
    } else {
        setup.UnusableWorkDir = temp.shown;
    }
    setup.Formats = UserDateTimeFormats(); // the tool prints the next run times in them
    setup.CaptureListing = [&run = parts_.Run](const std::string& workFile) {
        return RunCommandToFile(TaskSchedulerQuery(), workFile, &run);
    };
    setup.Dry = checkWatch_ != nullptr;
    setup.Watch = checkWatch_;
    quellix::HarvestReservations(setup, parts_.Tables, parts_.Run, parts_.LogFile1);
}

} // namespace quellix
