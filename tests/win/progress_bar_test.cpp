#include "ui/progress_bar_win.h"

#include "support/unique_handle_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <cstdint>
#include <vector>

namespace quellix {
namespace {

struct UniqueWindowDeleter {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, UniqueWindowDeleter>;

// The window's client area as the window draws it, pixel by pixel.
std::vector<std::uint32_t> ClientPixels(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const UniqueHbitmap bitmap{::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    const UniqueMemoryDc dc{::CreateCompatibleDC(nullptr)};
    const ScopedSelectObject select{dc.get(), bitmap.get()};
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    ::GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    return {first, first + client.right * client.bottom};
}

// The bar is drawn by the program to spare every start the common-controls library; it must look
// exactly like the system's classic bar, which this test program loads to compare with. Classic,
// because the program asks for no visual styles: Windows then gives it the unthemed bar (Wine's
// own theme is switched off for the one compared with).
TEST(ProgressBar, DrawsEveryPixelAsTheSystemsClassicBar) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    ASSERT_TRUE(::InitCommonControlsEx(&classes));
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(RegisterProgressBarClass(instance));
    const UniqueWindow parent{
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 100, nullptr, nullptr, instance, nullptr)};
    struct Case {
        int width, height, low, high;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {425, 12, 0, 100, {0, 1, 7, 49, 50, 51, 99, 100, 150, -5}}, // the main window's bar
        {100, 25, 0, 100, {0, 3, 33, 50, 66, 100}},
        {37, 8, -10, 10, {-10, -9, 0, 9, 10}},
        {10, 4, 0, 100, {0, 50, 100}},
        {200, 12, 5, 5, {5}}, // an empty range
    };
    for (const Case& c : cases) {
        const UniqueWindow system{::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, c.width,
                                                    c.height, parent.get(), nullptr, instance, nullptr)};
        const UniqueWindow ours{::CreateWindowExW(kProgressBarExStyle, kProgressBarClass, L"", WS_CHILD | WS_VISIBLE, 0,
                                                  0, c.width, c.height, parent.get(), nullptr, instance, nullptr)};
        ASSERT_TRUE(system && ours);
        ::SetWindowTheme(system.get(), nullptr, L" "); // a class list naming no class: no theme
        ::SendMessageW(system.get(), WM_THEMECHANGED, 0, 0);
        ::SetWindowPos(system.get(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_EQ(::GetWindowLongW(ours.get(), GWL_EXSTYLE), ::GetWindowLongW(system.get(), GWL_EXSTYLE));
        for (HWND bar : {system.get(), ours.get()}) {
            ::SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(c.low), c.high);
        }
        for (const int position : c.positions) {
            SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " at " << position);
            const LRESULT previous = ::SendMessageW(system.get(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
            EXPECT_EQ(::SendMessageW(ours.get(), PBM_SETPOS, static_cast<WPARAM>(position), 0), previous);
            EXPECT_EQ(::SendMessageW(ours.get(), PBM_GETPOS, 0, 0), ::SendMessageW(system.get(), PBM_GETPOS, 0, 0));
            EXPECT_EQ(ClientPixels(ours.get()), ClientPixels(system.get()));
        }
    }
}

} // namespace
} // namespace quellix
