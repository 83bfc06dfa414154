#include "app/command_capture.h"

#include "support/errors.h"
#include "support/os.h"

namespace quellix {

std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input) {
    std::optional<CommandResult> result = RunCommand(commandLine, input);
    if (!result) {
        return std::nullopt;
    }
    return std::move(result->Output);
}

std::optional<CommandEnd> RunCommandToFile(const std::string& commandLine, const std::string& fileName) {
    std::optional<CommandResult> result = RunCommand(commandLine);
    if (!result) {
        return std::nullopt;
    }
    if (!fileName.empty()) {
        os::File file = os::OpenFile(fileName, os::OpenMode::CreateAlways, os::Share::Read);
        if (!file.IsOpen()) {
            ThrowLastIoError(fileName);
        }
        if (!file.Write(result->Output) || !file.Close()) {
            ThrowLastIoError(fileName);
        }
    }
    return std::move(result->End);
}

} // namespace quellix
