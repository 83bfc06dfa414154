#include "app/command_capture.h"

#include "support/errors.h"
#include "support/os.h"

namespace quellix {

void RunCommandToFile(const std::string& commandLine, const std::string& fileName) {
    const std::optional<std::string> output = RunCommandCapture(commandLine);
    if (fileName.empty() || !output) {
        return;
    }
    os::File file = os::OpenFile(fileName, os::OpenMode::CreateAlways, os::Share::Read);
    if (!file.IsOpen()) {
        ThrowLastIoError(fileName);
    }
    if (!file.Write(*output) || !file.Close()) {
        ThrowLastIoError(fileName);
    }
}

} // namespace quellix
