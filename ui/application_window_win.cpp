#include "ui/application_window_win.h"

#include "support/cp932_win.h"
#include "ui/check_menu_win.h"

namespace quellix {

namespace {

constexpr const wchar_t* kClassName = L"TApplication";

bool CanTakeFocus(HWND window) noexcept {
    return window != nullptr && ::IsWindowVisible(window) != FALSE && ::IsWindowEnabled(window) != FALSE;
}

} // namespace

TApplicationWindow::TApplicationWindow(HINSTANCE instance, std::string_view title) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TApplicationWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, L"MAINICON"); // the taskbar entry's icon
    // The program's icon has one size; named as the small icon too, it is scaled where drawn, and
    // the system does not make a scaled copy at every start.
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.lpszClassName = kClassName;
    if (::RegisterClassExW(&windowClass) == 0) {
        return;
    }
    // Visible to the shell, so it has a taskbar entry, but of no size, so nothing shows on the
    // screen; no tool-window style, which would keep it off the taskbar.
    constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
    ::CreateWindowExW(0, kClassName, WideFromSjis(title).c_str(), kStyle, ::GetSystemMetrics(SM_CXSCREEN) / 2,
                      ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, this);
}

TApplicationWindow::~TApplicationWindow() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

void TApplicationWindow::SetMainWindow(HWND mainWindow) noexcept {
    if (mainWindow_ == nullptr && window_ != nullptr) {
        AddCheckMenuItem(window_);
    }
    mainWindow_ = mainWindow;
}

void TApplicationWindow::Show() const noexcept {
    if (window_ != nullptr) {
        ::ShowWindow(window_, SW_SHOWNA);
    }
}

LRESULT TApplicationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        // Picking the taskbar entry activates this window: the window the user worked in last
        // takes over.
        if (const HWND target = FocusTarget()) {
            ::SetFocus(target);
        }
        return 0;
    case WM_SYSCOMMAND: // the check, from the taskbar entry's window menu
        if (IsCheckCommand(wParam) && mainWindow_ != nullptr) {
            ::PostMessageW(mainWindow_, WM_SYSCOMMAND, wParam, lParam);
            return 0;
        }
        break;
    case WM_CLOSE: // "Close window" on the taskbar entry closes the program as the main window's close does
        if (mainWindow_ != nullptr) {
            ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

// The window last active among those this window owns, or among the main window's own (the file
// dialog, which disables the main window while it is open); else the main window.
HWND TApplicationWindow::FocusTarget() const noexcept {
    for (const HWND owner : {window_, mainWindow_}) {
        const HWND popup = owner != nullptr ? ::GetLastActivePopup(owner) : nullptr;
        if (popup != owner && CanTakeFocus(popup)) {
            return popup;
        }
    }
    return CanTakeFocus(mainWindow_) ? mainWindow_ : nullptr;
}

} // namespace quellix
