// Running a command line with its standard output captured (the Task Scheduler listing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// How much of a command's standard error is kept: enough for any message, never a flood.
inline constexpr std::size_t kMaxErrorOutput = 64 * 1024;

// How a command ended: its exit code and the start of what it wrote to its standard error.
struct CommandEnd {
    std::uint32_t ExitCode = 0;
    std::string ErrorOutput; // its first kMaxErrorOutput bytes
};

struct CommandResult {
    std::string Output; // everything it wrote to its standard output
    CommandEnd End;
};

// Runs `commandLine` (the program is searched for as the system does: on Windows as given to
// CreateProcess, natively through /bin/sh) without a window, feeds it `input` on its standard
// input, and returns everything it wrote to its standard output, its exit code and the start of
// its standard error (the rest is read and thrown away). While the command runs, the window's
// messages are dispatched (so the buttons act inside the call). Returns once the command has
// ended and its pipes hold nothing more, even when a process it started keeps running with the
// inherited pipe. nullopt when the command cannot be started.
[[nodiscard]] std::optional<CommandResult> RunCommand(const std::string& commandLine, std::string_view input = {});

// RunCommand's standard output alone.
[[nodiscard]] std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input = {});

// Runs the command with an empty input and writes its standard output into `fileName` (created,
// or replaced when it exists); returns how the command ended. A command that cannot be started
// leaves the file as it is and gives nullopt; an empty `fileName` leaves it too. A file that
// cannot be created or written raises IoError with the system's message.
std::optional<CommandEnd> RunCommandToFile(const std::string& commandLine, const std::string& fileName);

} // namespace quellix
