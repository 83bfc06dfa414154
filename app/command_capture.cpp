#include "app/command_capture.h"

#include "support/os.h"

namespace quellix {

std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input) {
    std::optional<CommandResult> result = RunCommand(commandLine, input);
    if (!result) {
        return std::nullopt;
    }
    return std::move(result->Output);
}

FileCapture RunCommandToFile(const std::string& commandLine, const std::string& fileName) {
    std::optional<CommandResult> result = RunCommand(commandLine);
    if (!result) {
        return {};
    }
    FileCapture capture{CaptureStatus::Captured, std::move(result->End), 0};
    if (!fileName.empty()) {
        os::File file = os::OpenFile(fileName, os::OpenMode::CreateAlways, os::Share::Read);
        if (!file.IsOpen() || !file.Write(result->Output) || !file.Close()) {
            capture.Status = CaptureStatus::FileNotWritten;
            capture.ErrorCode = os::LastError();
        }
    }
    return capture;
}

} // namespace quellix
