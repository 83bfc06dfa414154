// The main window's progress bar: a child window drawn by the program in the look of the system's
// classic progress bar (blocks in the highlight colour on the button face, inside a static edge),
// which would otherwise need the common-controls library loaded at every start. It answers the
// progress bar messages the window uses: PBM_SETRANGE32, PBM_SETPOS and PBM_GETPOS.
#pragma once

#include <windows.h>

namespace quellix {

// Registers the window class once per process; false when that failed.
bool RegisterProgressBarClass(HINSTANCE instance);

inline constexpr const wchar_t* kProgressBarClass = L"QuellixProgressBar";
// The extended style the system's bar gives itself.
inline constexpr DWORD kProgressBarExStyle = WS_EX_STATICEDGE;

} // namespace quellix
