// Waiting while the program's window stays responsive.
#pragma once

namespace quellix {

// Returns once `minutes` have passed, dispatching the window's messages every 100 ms meanwhile
// (so button handlers, painting and a close request run inside the wait; callers must expect
// the program's state to change across it). Zero or a negative number returns at once without
// dispatching anything. Without a window system (native builds) it only sleeps.
void WaitMinutes(double minutes);

} // namespace quellix
