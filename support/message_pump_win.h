// PumpMessages: what the run's long loops call after every item so that the buttons stay live.
#pragma once

namespace quellix {

// Gives up the rest of the time slice, then dispatches every waiting window message and returns
// when the queue is empty; at most once every few milliseconds, so that a loop may call it after
// every item however short the items are. Returns at once between two such moments.
void PumpMessages();

} // namespace quellix
