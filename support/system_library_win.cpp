#include "support/system_library_win.h"

#include <string>

namespace quellix {

// The flag that limits the search to the system directory exists on Windows 7 and Vista only with
// an update (KB2533623) installed; without it, the library is loaded by its full path.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return module;
    }
    wchar_t directory[MAX_PATH]{};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return ::LoadLibraryW((std::wstring{directory, length} + L"\\" + name).c_str());
}

} // namespace quellix
