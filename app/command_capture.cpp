#include "app/command_capture.h"

#include "support/os.h"

namespace quellix {

std::optional<CommandResult> StoppedBeforeStart(const TRunControl* run) {
    if (run == nullptr || !run->FStopRequested) {
        return std::nullopt;
    }
    CommandResult stopped;
    stopped.End.EndedBy = CommandEndedBy::StopRequest;
    return stopped;
}

std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input) {
    std::optional<CommandResult> result = RunCommand(commandLine, input);
    if (!result) {
        return std::nullopt;
    }
    return std::move(result->Output);
}

FileCapture RunCommandToFile(const std::string& commandLine, const std::string& fileName, const TRunControl* run) {
    std::optional<CommandResult> result = RunCommand(commandLine, {}, run);
    if (!result) {
        return {};
    }
    FileCapture capture{CaptureStatus::Captured, std::move(result->End), 0};
    switch (capture.End.EndedBy) {
    case CommandEndedBy::Itself:
        break;
    case CommandEndedBy::StopRequest:
        // What a command cut short printed is no listing: nothing is written for anyone to read.
        capture.Status = CaptureStatus::Stopped;
        return capture;
    case CommandEndedBy::TimeLimit:
        capture.Status = CaptureStatus::TimedOut;
        return capture;
    }
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
