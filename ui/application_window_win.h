// TApplicationWindow: the program's hidden application window. It carries the taskbar entry with
// the application title, owns the main window and the About box (owned windows get no taskbar
// entry of their own), and hands the activation on to them.
#pragma once

#include "ui/window_base_win.h"

#include <windows.h>

#include <string_view>

namespace quellix {

class TApplicationWindow : public TWindowBase<TApplicationWindow> {
public:
    // Creates the window, not yet shown; Handle() is null when that failed.
    TApplicationWindow(HINSTANCE instance, std::string_view title);
    TApplicationWindow(const TApplicationWindow&) = delete;
    TApplicationWindow& operator=(const TApplicationWindow&) = delete;
    ~TApplicationWindow();

    // The window that takes the focus when the taskbar entry is picked, the close command and the
    // check of the entry's window menu.
    void SetMainWindow(HWND mainWindow) noexcept;
    // Puts the entry on the taskbar without taking the activation from the main window.
    void Show() const noexcept;

private:
    friend class TWindowBase<TApplicationWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] HWND FocusTarget() const noexcept;

    HWND mainWindow_ = nullptr;
};

} // namespace quellix
