// Hints (tooltips) over child controls. The common-controls library that provides the hint window
// is loaded on the first call: linked at start-up, its load and class registrations would cost
// every import run, which nobody points at.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>
#include <utility>

namespace quellix {

// A hint window owned by `owner` (destroyed with it) showing each Shift_JIS text over its control;
// null when the library or the window could not be had.
HWND CreateHintWindow(HWND owner, HINSTANCE instance, std::initializer_list<std::pair<HWND, std::string_view>> hints);

} // namespace quellix
