#include "support/message_pump_win.h"

#include "support/message_queue_win.h"

#include <windows.h>

namespace quellix {

namespace {

// Looking at the queue is a call into the window system each time (under Wine a round trip to
// its server, tens of microseconds), which for a loop over tens of thousands of short lines cost
// more than the lines themselves. A click still acts within a few milliseconds.
constexpr ULONGLONG kPumpIntervalMilliseconds = 5;
ULONGLONG g_lastPump = 0;

} // namespace

void PumpMessages() {
    const ULONGLONG now = ::GetTickCount64();
    if (g_lastPump != 0 && now - g_lastPump < kPumpIntervalMilliseconds) {
        return;
    }
    ::Sleep(0);
    DispatchPendingMessages();
    // Counted from the end: time spent in a handler (a pause held inside it) is no reason to
    // pump again at once.
    g_lastPump = ::GetTickCount64();
}

} // namespace quellix
