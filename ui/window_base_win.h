// TWindowBase<T>: the static window procedure of the program's own windows, and the one place
// where an error of theirs stops: caught at the callback's edge and handed to the application's
// error hook (the main window's, which logs it), so no exception ever crosses into the system.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quellix {

// Where errors caught at a callback's edge go; nothing is reported while none is set.
using ErrorHook = std::function<void(const std::string& message)>;

// Sets the application's error hook for its lifetime, and takes it away again.
class ScopedErrorHook {
public:
    explicit ScopedErrorHook(ErrorHook hook);
    ScopedErrorHook(const ScopedErrorHook&) = delete;
    ScopedErrorHook& operator=(const ScopedErrorHook&) = delete;
    ~ScopedErrorHook();
};

// Runs `step`; an error it raises goes to the error hook, and the caller goes on.
void ReportingErrors(const std::function<void()>& step) noexcept;

// T derives from TWindowBase<T>, passes `this` as the creation parameter of CreateWindowExW, and
// handles its messages in `LRESULT HandleMessage(UINT, WPARAM, LPARAM)` (befriending the base).
template <typename T> class TWindowBase {
public:
    TWindowBase() = default;
    TWindowBase(const TWindowBase&) = delete;
    TWindowBase& operator=(const TWindowBase&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return window_; }

protected:
    ~TWindowBase() = default;

    // The class's window procedure: finds the object, whose pointer WM_NCCREATE brought, and lets
    // it handle the message; after an error the message counts as handled (0).
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        T* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->window_ = window;
        } else {
            self = reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (self == nullptr) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) { // the window's last message: the object lets go of it
            self->window_ = nullptr;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        LRESULT result = 0;
        ReportingErrors([&] { result = self->HandleMessage(message, wParam, lParam); });
        return result;
    }

    HWND window_ = nullptr;
};

} // namespace quellix
