// The run-control state that the buttons set and the long loops poll, shared by the window and
// the portable loops (deleting old files, the harvest, the channel-file import).
#pragma once

#include <cstdint>
#include <functional>

namespace quellix {

// How long the run waits for a system tool it starts (the Task Scheduler's listing) before it
// ends it. The tool answers in seconds even with hundreds of tasks; one that has not ended by
// then waits on a Task Scheduler service that does not answer and will not end by itself, and
// the host, which waits for this program, would wait with it.
inline constexpr std::uint32_t kToolTimeLimitMilliseconds = 2 * 60 * 1000;

struct TRunControl {
    bool FStopRequested = false; // Stop button or the window closing: loops end at their next check
    bool FSkipRequested = false; // Skip button: the delete loop and a pause end at their next check
    bool FPaused = false;        // Pause sets it, Resume clears it
    // A tool the run starts is ended once it has run this long. Only ever shortened, and only by
    // a message a test program sends to the window (TFormPdigi): no user setting reaches it.
    std::uint32_t ToolTimeLimitMilliseconds = kToolTimeLimitMilliseconds;
    // Dispatches pending window messages, so the buttons act inside a loop. Empty in tests.
    std::function<void()> PumpMessages;

    void Pump() const {
        if (PumpMessages) {
            PumpMessages();
        }
    }
};

} // namespace quellix
