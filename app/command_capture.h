// Running a command line with its standard output captured (the Task Scheduler listing).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// Runs `commandLine` (the program is searched for as the system does: on Windows as given to
// CreateProcess, natively through /bin/sh) without a window, feeds it `input` on its standard
// input, and returns everything it wrote to its standard output; its standard error is read and
// thrown away. While the command runs, the window's messages are dispatched (so the buttons act
// inside the call). Returns once the command has ended and its pipes hold nothing more, even when
// a process it started keeps running with the inherited pipe. nullopt when the command cannot be
// started. The exit code is not looked at.
[[nodiscard]] std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input = {});

// Runs the command with an empty input and writes its standard output into `fileName` (created,
// or replaced when it exists). A command that cannot be started leaves the file as it is, and so
// does an empty `fileName`. A file that cannot be created or written raises IoError with the
// system's message.
void RunCommandToFile(const std::string& commandLine, const std::string& fileName);

} // namespace quellix
