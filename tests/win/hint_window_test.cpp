#include "ui/hint_window_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace quellix {
namespace {

TEST(HintWindow, LoadsItsLibraryWhenFirstAskedAndHoldsOneToolPerControl) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(owner, nullptr);
    HWND first = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 25, 25, owner, nullptr, instance, nullptr);
    HWND second = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 30, 0, 25, 25, owner, nullptr, instance, nullptr);

    HWND hints = CreateHintWindow(owner, instance, {{first, "ホームページを開きます"}, {second, "表示"}});
    ASSERT_NE(hints, nullptr);
    EXPECT_EQ(::GetWindow(hints, GW_OWNER), owner);
    EXPECT_EQ(::SendMessageW(hints, TTM_GETTOOLCOUNT, 0, 0), 2);
    wchar_t text[80]{};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(second);
    tool.lpszText = text;
    ::SendMessageW(hints, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"表示"); // converted from Shift_JIS whatever the system's code page

    ::DestroyWindow(owner);
    EXPECT_FALSE(::IsWindow(hints)); // gone with its owner
}

} // namespace
} // namespace quellix
