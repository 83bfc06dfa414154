// What keeps the system's dialogs away from a program that the host waits for, and what ends the
// program, with one log line, on a fault it cannot go on from.
#pragma once

#include <functional>
#include <string>

namespace quellix {

// Called first thing at start. Sets the error mode that keeps the critical-error, open-file and
// fault dialogs away (programs started later inherit it), asks Windows Error Reporting for no
// dialog, and installs the handlers for an exception no code handles (on any thread),
// std::terminate (a pure virtual call among its causes) and abort. Each writes one error line
// through the crash log, when one is set, and ends the process at once with a non-zero exit code
// (an exception's own code, else 3), leaving no dialog and no debugger waiting.
void InstallCrashGuard();

// The writer of the crash line for the life of the scope (the program's log once it exists).
class ScopedCrashLog {
public:
    explicit ScopedCrashLog(std::function<void(const std::string& text)> writer);
    ScopedCrashLog(const ScopedCrashLog&) = delete;
    ScopedCrashLog& operator=(const ScopedCrashLog&) = delete;
    ~ScopedCrashLog();

private:
    std::function<void(const std::string& text)> writer_;
};

} // namespace quellix
