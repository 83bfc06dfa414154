// Helpers of the in-process Wine tests: the test program's folder (the test tools lie beside
// it), whole-file reads and writes, and a window that counts messages.
#pragma once

#include "support/cp932_win.h"
#include "tests/shared/temp_dir_win.h"
#include "tests/shared/wait_win.h"

#include <windows.h>

#include <string>

namespace quellix::win_test {

using testing_support::WaitUntil;

// The test program's folder with a trailing backslash, as a program path (Shift_JIS).
inline std::string BinDir() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return SjisFromWide(path.substr(0, path.find_last_of(L'\\') + 1));
}

using testing_support::TempDir;

inline std::string ReadBytes(const std::string& path) {
    const HANDLE file = ::CreateFileW(WideFromSjis(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(WideFromSjis(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD put = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    ::CloseHandle(file);
}

// A window that counts the WM_APP messages it receives.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuellixWaitTest";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, L"QuellixWaitTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        count_ = 0;
    }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;
    ~CountingWindow() { ::DestroyWindow(window_); }
    [[nodiscard]] HWND Handle() const noexcept { return window_; }
    [[nodiscard]] static int Count() noexcept { return count_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            ++count_;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
    static inline int count_ = 0;
};

// Posts WM_APP to the window from another thread after 150 ms; the caller waits for and closes
// the returned thread handle.
inline DWORD WINAPI PostAppMessageAfterPause(void* target) {
    ::Sleep(150);
    ::PostMessageW(static_cast<HWND>(target), WM_APP, 0, 0);
    return 0;
}
inline HANDLE PostAppMessageLater(HWND window) {
    // A named WINAPI function: on 32-bit Windows a thread routine is stdcall, which a lambda is not.
    return ::CreateThread(nullptr, 0, PostAppMessageAfterPause, window, 0, nullptr);
}

} // namespace quellix::win_test
