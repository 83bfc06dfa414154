#include "support/message_queue_win.h"

#include <algorithm>
#include <vector>

namespace quellix {

namespace {

std::vector<HWND>& DialogKeyWindows() {
    static std::vector<HWND> windows;
    return windows;
}

bool IsDialogKeyWindow(HWND window) {
    const std::vector<HWND>& windows = DialogKeyWindows();
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

} // namespace

void RegisterDialogKeyWindow(HWND window) {
    if (window != nullptr && !IsDialogKeyWindow(window)) {
        DialogKeyWindows().push_back(window);
    }
}

void UnregisterDialogKeyWindow(HWND window) {
    std::erase(DialogKeyWindows(), window);
}

bool HandleDialogMessage(MSG& message) {
    const HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    return root != nullptr && IsDialogKeyWindow(root) && ::IsDialogMessageW(root, &message) != FALSE;
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

} // namespace quellix
