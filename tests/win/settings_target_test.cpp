#include "support/settings_store_win.h"

#include "support/errors.h"
#include "tests/shared/wait_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace quellix {
namespace {

using settings::TWindowState;
using testing_support::WaitUntil;

struct UniqueWindowDeleter {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, UniqueWindowDeleter>;

// A stored state is applied from any state the window is in: a stored normal state restores a
// window that is minimized as well as one that is maximized.
TEST(WindowSettingsTarget, TakesTheWindowToTheStoredStateFromAnyOther) {
    const struct {
        int shownAs;
        TWindowState stored;
        bool iconic;
        bool zoomed;
    } cases[] = {
        {SW_SHOWMINIMIZED, TWindowState::Normal, false, false},
        {SW_SHOWMAXIMIZED, TWindowState::Normal, false, false},
        {SW_SHOWNORMAL, TWindowState::Minimized, true, false},
        {SW_SHOWMAXIMIZED, TWindowState::Minimized, true, false},
        {SW_SHOWNORMAL, TWindowState::Maximized, false, true},
        {SW_SHOWMINIMIZED, TWindowState::Maximized, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.shownAs << " to " << static_cast<int>(c.stored));
        const UniqueWindow window{::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                                    nullptr, ::GetModuleHandleW(nullptr), nullptr)};
        ASSERT_TRUE(window);
        ::ShowWindow(window.get(), c.shownAs);
        TWindowSettingsTarget target{window.get(), {}};
        target.SetWindowState(c.stored);
        // The change is posted: it takes effect as the window's messages are handled.
        const auto reached = [&] {
            return (::IsIconic(window.get()) != FALSE) == c.iconic && (::IsZoomed(window.get()) != FALSE) == c.zoomed;
        };
        EXPECT_TRUE(WaitUntil([&] {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::DispatchMessageW(&message);
            }
            return reached();
        }));
    }
}

// Only the text of a named child window is a stored property; any other name is refused.
TEST(WindowSettingsTarget, StoresOnlyTheTextOfItsNamedChildWindows) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const UniqueWindow window{
        ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, instance, nullptr)};
    const HWND field =
        ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 100, 20, window.get(), nullptr, instance, nullptr);
    ASSERT_NE(field, nullptr);
    TWindowSettingsTarget target{window.get(), {{"PdigiDir", field}}};
    target.SetProperty("pdigidir.TEXT", "C:\\録画");
    EXPECT_EQ(target.Property("PdigiDir.Text"), "C:\\録画");
    target.SetProperty("PdigiDir.Text", "");
    EXPECT_EQ(target.Property("PdigiDir.Text"), "");
    for (const char* name : {"PdigiDir.Caption", "PdigiDir", "Other.Text", "Text"}) {
        EXPECT_THROW((void)target.Property(name), QuellixError) << name;
    }
}

} // namespace
} // namespace quellix
