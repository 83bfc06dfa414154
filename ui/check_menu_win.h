// The window-menu item that starts the check: in the settings window's menu (Alt+Space) and in
// its taskbar entry's (the application window's).
#pragma once

#include <windows.h>

namespace quellix {

// A window-menu command: below 0xF000, its low four bits clear (the system uses them).
inline constexpr UINT kCheckCommand = 0x0110;

void AddCheckMenuItem(HWND window) noexcept;

[[nodiscard]] constexpr bool IsCheckCommand(WPARAM wParam) noexcept {
    return (wParam & 0xFFF0) == kCheckCommand;
}

} // namespace quellix
