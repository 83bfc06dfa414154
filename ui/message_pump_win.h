// Dispatching window messages from inside long loops and waits, so the buttons stay live.
#pragma once

#include <windows.h>

namespace quellix {

// Gives up the rest of the time slice, then dispatches every waiting message and returns when
// the queue is empty.
void PumpMessages();

// Dispatches every waiting message without the sleep.
void DispatchPendingMessages();

// Modeless windows with dialog keys (Esc, Tab, Enter), besides the main window. A window
// registers itself when created and unregisters when destroyed.
void RegisterModelessDialog(HWND window);
void UnregisterModelessDialog(HWND window);

// Gives a message to the dialog-key handling of the window it belongs to (the main window or a
// registered modeless one); true when that handled it and it must not be dispatched again.
bool HandleDialogMessage(MSG& message);

} // namespace quellix
