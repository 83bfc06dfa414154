// Libraries loaded when first needed rather than at start-up, always from the system directory.
#pragma once

#include <windows.h>

namespace quellix {

// Loads a library of the system directory (never one lying beside the program); null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

} // namespace quellix
