// The run-control state that the buttons set and the long loops poll, shared by the window and
// the portable loops (deleting old files, the harvest, the channel-file import).
#pragma once

#include <functional>

namespace quellix {

struct TRunControl {
    bool FStopRequested = false; // Stop button or the window closing: loops end at their next check
    bool FSkipRequested = false; // Skip button: the delete loop and a pause end at their next check
    bool FPaused = false;        // Pause sets it, Resume clears it
    // Dispatches pending window messages, so the buttons act inside a loop. Empty in tests.
    std::function<void()> PumpMessages;

    void Pump() const {
        if (PumpMessages) {
            PumpMessages();
        }
    }
};

} // namespace quellix
