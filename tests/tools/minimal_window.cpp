// The floor for start-up measurements: a Win32 program that creates one window and exits.
#include <windows.h>

namespace {
LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MinimalWindow";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, L"MinimalWindow", L"minimal", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    instance, nullptr);
    ::ShowWindow(window, showCommand);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    ::DestroyWindow(window);
    return 0;
}
