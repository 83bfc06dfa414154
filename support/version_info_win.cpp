// Reads the version resource of a file through the system's version functions.
#include "support/version_info.h"

#include "support/cp932_win.h"
#include "support/system_library_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace quellix {

namespace {

// The version library is no KnownDLL: linked at start-up, the system would take a version.dll
// lying beside the program (the host's folder, a downloads folder) before its own. It is loaded
// from the system directory when first needed instead.
struct VersionFunctions {
    decltype(&::GetFileVersionInfoSizeW) GetFileVersionInfoSizeW = nullptr;
    decltype(&::GetFileVersionInfoW) GetFileVersionInfoW = nullptr;
    decltype(&::VerQueryValueW) VerQueryValueW = nullptr;
};

template <typename Function> void Find(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(library != nullptr ? ::GetProcAddress(library, name) : nullptr));
}

const VersionFunctions& Version() {
    static const VersionFunctions functions = [] {
        VersionFunctions found;
        const HMODULE library = LoadSystemLibrary(L"version.dll");
        Find(library, "GetFileVersionInfoSizeW", found.GetFileVersionInfoSizeW);
        Find(library, "GetFileVersionInfoW", found.GetFileVersionInfoW);
        Find(library, "VerQueryValueW", found.VerQueryValueW);
        return found;
    }();
    return functions;
}

} // namespace

void ReadVersionResource(const std::string& path, TVersion& version) {
    const VersionFunctions& api = Version();
    if (api.GetFileVersionInfoSizeW == nullptr || api.GetFileVersionInfoW == nullptr || api.VerQueryValueW == nullptr) {
        return; // as for a file without a version resource
    }
    const std::wstring widePath = WideFromSjis(path);
    DWORD ignored = 0;
    const DWORD size = api.GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0) {
        return;
    }
    std::vector<unsigned char> buffer(size, 0);
    if (!api.GetFileVersionInfoW(widePath.c_str(), 0, size, buffer.data())) {
        return;
    }
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!api.VerQueryValueW(buffer.data(), L"\\VarFileInfo\\Translation", &translation, &translationSize) ||
        translationSize < 4) {
        return;
    }
    const auto* words = static_cast<const WORD*>(translation); // only the first entry counts
    wchar_t block[16];
    std::swprintf(block, 16, L"%04X%04X", words[0], words[1]);
    for (int i = 0; i < 11; ++i) {
        const std::wstring query = std::wstring{L"\\StringFileInfo\\"} + block + L"\\" + WideFromSjis(kVersionKeys[i]);
        void* value = nullptr;
        UINT length = 0;
        if (api.VerQueryValueW(buffer.data(), query.c_str(), &value, &length) && value != nullptr) {
            std::wstring_view text{static_cast<const wchar_t*>(value)};
            *VersionField(version, i) = SjisFromWide(text.substr(0, 256));
        }
    }
}

} // namespace quellix
