// The wait that keeps the window responsive: it sleeps in steps of at most 100 ms and dispatches
// the pending window messages after every step.
#include "support/wait.h"

#include "support/message_queue_win.h"

#include <windows.h>

namespace quellix {

void WaitMinutes(double minutes) {
    // A monotonic clock, so a change of the wall clock during the wait neither ends it early nor
    // stretches it. Kept as a double: no overflow for any input.
    const double deadline = static_cast<double>(::GetTickCount64()) + minutes * 60000.0;
    for (auto now = static_cast<double>(::GetTickCount64()); now < deadline;
         now = static_cast<double>(::GetTickCount64())) {
        ::Sleep(deadline - now < 100.0 ? static_cast<DWORD>(deadline - now) + 1 : 100U);
        DispatchPendingMessages();
    }
}

} // namespace quellix
