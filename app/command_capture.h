// Running a command line with its standard output captured (the Task Scheduler listing).
#pragma once

#include "support/run_control.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// How much of a command's standard error is kept: enough for any message, never a flood.
inline constexpr std::size_t kMaxErrorOutput = std::size_t{64} * 1024;

// Who ended a command: itself, or this program, before it had ended.
enum class CommandEndedBy {
    Itself,
    StopRequest, // the run's stop was requested while it ran
    TimeLimit,   // it ran longer than the run's time limit for it
};

// How a command ended: its exit code and the start of what it wrote to its standard error.
struct CommandEnd {
    std::uint32_t ExitCode = 0;
    std::string ErrorOutput; // its first kMaxErrorOutput bytes
    CommandEndedBy EndedBy = CommandEndedBy::Itself;
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
// With `run`, the command is ended, and the call returns at once, when the run's stop is requested
// (a stop already requested starts nothing) or when the command has run longer than the run's
// ToolTimeLimitMilliseconds; the result then says so and holds what had been read of its output.
// Time that the window's handlers hold the call (a pause) does not count; the command keeps
// running meanwhile. Both are looked at after every dispatch, so a handler may change them.
[[nodiscard]] std::optional<CommandResult> RunCommand(const std::string& commandLine, std::string_view input = {},
                                                      const TRunControl* run = nullptr);

// The result of a command that a stop requested before it started keeps from starting; nullopt
// when no stop was requested.
[[nodiscard]] std::optional<CommandResult> StoppedBeforeStart(const TRunControl* run);

// RunCommand's standard output alone.
[[nodiscard]] std::optional<std::string> RunCommandCapture(const std::string& commandLine, std::string_view input = {});

// How a command run into a file went.
enum class CaptureStatus {
    Captured,       // the command ran and its standard output is in the file
    NotStarted,     // the command could not be started; the file was left as it was
    FileNotWritten, // the command ran, but the file could not be created or written
    Stopped,        // the run's stop ended the command, or it was not started for it; no file written
    TimedOut,       // the command ran past the run's time limit and was ended; no file written
};

struct FileCapture {
    CaptureStatus Status = CaptureStatus::NotStarted;
    CommandEnd End;              // how the command ended, once it ran
    std::uint32_t ErrorCode = 0; // FileNotWritten: the system's error
};

// Runs the command with an empty input and writes its standard output into `fileName` (created,
// or replaced when it exists). An empty `fileName` leaves the file too. Reports every failure in
// the result; raises nothing. `run` as for RunCommand.
[[nodiscard]] FileCapture RunCommandToFile(const std::string& commandLine, const std::string& fileName,
                                           const TRunControl* run = nullptr);

} // namespace quellix
