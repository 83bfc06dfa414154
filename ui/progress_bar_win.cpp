#include "ui/progress_bar_win.h"

#include "ui/progress_bar.h"

#include <commctrl.h>

#include <algorithm>

namespace quellix {

namespace {

// The bar's state lives in the window's extra bytes.
constexpr int kLowOffset = 0;
constexpr int kHighOffset = sizeof(LONG);
constexpr int kPositionOffset = 2 * sizeof(LONG);
constexpr int kExtraBytes = 3 * sizeof(LONG);

int Value(HWND window, int offset) {
    return static_cast<int>(::GetWindowLongW(window, offset));
}

void Paint(HWND window, HDC dc) {
    RECT client{};
    ::GetClientRect(window, &client);
    const HBRUSH face = ::GetSysColorBrush(COLOR_3DFACE);
    const HBRUSH bar = ::GetSysColorBrush(COLOR_HIGHLIGHT);
    ::FrameRect(dc, &client, face); // the one-pixel margin around the blocks
    RECT inner = client;
    ::InflateRect(&inner, -1, -1);
    const TProgressBlocks blocks =
        ProgressBlocks(inner.right - inner.left, inner.bottom - inner.top, Value(window, kLowOffset),
                       Value(window, kHighOffset), Value(window, kPositionOffset));
    const int filledRight = inner.left + blocks.filledEnd;
    RECT part{inner.left, inner.top, inner.left, inner.bottom};
    while (part.left < filledRight) {
        part.right = std::min<LONG>(part.left + blocks.blockWidth, filledRight);
        ::FillRect(dc, &part, bar);
        part.left = part.right;
        part.right = std::min<LONG>(part.left + blocks.gap, filledRight);
        ::FillRect(dc, &part, face);
        part.left = part.right;
    }
    part.right = inner.right;
    ::FillRect(dc, &part, face);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        ::SetWindowLongW(window, kHighOffset, 100); // the system bar's default range, 0 to 100
        return 0;
    case PBM_SETRANGE32:
        ::SetWindowLongW(window, kLowOffset, static_cast<LONG>(wParam));
        ::SetWindowLongW(window, kHighOffset, static_cast<LONG>(lParam));
        ::SetWindowLongW(window, kPositionOffset,
                         std::clamp(Value(window, kPositionOffset), static_cast<int>(wParam),
                                    std::max(static_cast<int>(wParam), static_cast<int>(lParam))));
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case PBM_SETPOS: {
        const int previous = Value(window, kPositionOffset);
        const int low = Value(window, kLowOffset);
        const int position = std::clamp(static_cast<int>(wParam), low, std::max(low, Value(window, kHighOffset)));
        if (position != previous) {
            ::SetWindowLongW(window, kPositionOffset, position);
            ::InvalidateRect(window, nullptr, FALSE);
        }
        return static_cast<UINT>(previous); // as the system's bar answers: 32 bits, unsigned
    }
    case PBM_GETPOS:
        return Value(window, kPositionOffset);
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PRINTCLIENT:
        Paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window, &paint);
        Paint(window, dc);
        ::EndPaint(window, &paint);
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

bool RegisterProgressBarClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExW(instance, kProgressBarClass, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.cbWndExtra = kExtraBytes;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kProgressBarClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

} // namespace quellix
