// Dispatching the thread's waiting window messages, with the dialog keys (Esc, Tab, Enter) of the
// windows that want them; used by the message loops and by every wait that keeps the window live.
#pragma once

#include <windows.h>

namespace quellix {

// Dispatches every waiting message and returns when the queue is empty. A WM_QUIT is left in the
// queue for the outermost loop.
void DispatchPendingMessages();

// Windows whose keyboard messages get dialog-key handling (the main window, the About box). A
// window registers itself once created and unregisters when destroyed.
void RegisterDialogKeyWindow(HWND window);
void UnregisterDialogKeyWindow(HWND window);

// Gives a message to the dialog-key handling of the registered window it belongs to; true when
// that handled it and it must not be dispatched again.
bool HandleDialogMessage(MSG& message);

} // namespace quellix
