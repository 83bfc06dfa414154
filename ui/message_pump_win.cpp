#include "ui/message_pump_win.h"

#include "ui/main_window_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace quellix {

namespace {

std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> windows;
    return windows;
}

bool IsModelessDialog(HWND window) {
    const std::vector<HWND>& windows = ModelessDialogs();
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

} // namespace

void RegisterModelessDialog(HWND window) {
    if (window != nullptr && !IsModelessDialog(window)) {
        ModelessDialogs().push_back(window);
    }
}

void UnregisterModelessDialog(HWND window) {
    std::erase(ModelessDialogs(), window);
}

bool HandleDialogMessage(MSG& message) {
    const HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && IsModelessDialog(root)) {
        return ::IsDialogMessageW(root, &message) != FALSE;
    }
    const HWND main = TFormPdigi::MainWindow();
    return main != nullptr && ::IsDialogMessageW(main, &message) != FALSE;
}

void DispatchPendingMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam)); // leave it for the outer loop
            return;
        }
        if (HandleDialogMessage(message)) {
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
