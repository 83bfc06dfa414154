#include "ui/message_pump_win.h"

#include "ui/main_window_win.h"

#include <windows.h>

namespace quellix {

void DispatchPendingMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam)); // leave it for the outer loop
            return;
        }
        const HWND main = TFormPdigi::MainWindow();
        if (main != nullptr && ::IsDialogMessageW(main, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void PumpMessages() {
    ::Sleep(0);
    DispatchPendingMessages();
}

} // namespace quellix
