#include "ui/hint_window_win.h"

#include "support/cp932_win.h"
#include "support/system_library_win.h"

#include <commctrl.h>

#include <string>

namespace quellix {

namespace {

bool LoadCommonControls() {
    static const bool loaded = [] {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = reinterpret_cast<InitFunction>(
            reinterpret_cast<void*>(::GetProcAddress(LoadSystemLibrary(L"comctl32.dll"), "InitCommonControlsEx")));
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        return init != nullptr && init(&classes) != FALSE;
    }();
    return loaded;
}

} // namespace

HWND CreateHintWindow(HWND owner, HINSTANCE instance, std::initializer_list<std::pair<HWND, std::string_view>> hints) {
    if (!LoadCommonControls()) {
        return nullptr;
    }
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                    instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    for (const auto& [control, hint] : hints) {
        std::wstring text = WideFromSjis(hint);
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = owner;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text.data();
        ::SendMessageW(window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return window;
}

} // namespace quellix
