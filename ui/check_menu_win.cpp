#include "ui/check_menu_win.h"

#include "support/cp932_win.h"

namespace quellix {

void AddCheckMenuItem(HWND window) noexcept {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    if (menu == nullptr) {
        return;
    }
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCheckCommand, WideFromSjis("取り込みの点検(&K)...").c_str());
}

} // namespace quellix
