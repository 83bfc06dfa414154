// Dispatching window messages from inside long loops and waits, so the buttons stay live.
#pragma once

namespace quellix {

// Gives up the rest of the time slice, then dispatches every waiting message and returns when
// the queue is empty.
void PumpMessages();

// Dispatches every waiting message without the sleep.
void DispatchPendingMessages();

} // namespace quellix
