// Reads the version resource of a file through the system's version functions.
#include "support/version_info.h"

#include "support/cp932_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace quellix {

void ReadVersionResource(const std::string& path, TVersion& version) {
    const std::wstring widePath = WideFromSjis(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0) {
        return;
    }
    std::vector<unsigned char> buffer(size, 0);
    if (!::GetFileVersionInfoW(widePath.c_str(), 0, size, buffer.data())) {
        return;
    }
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!::VerQueryValueW(buffer.data(), L"\\VarFileInfo\\Translation", &translation, &translationSize) ||
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
        if (::VerQueryValueW(buffer.data(), query.c_str(), &value, &length) && value != nullptr) {
            std::wstring_view text{static_cast<const wchar_t*>(value)};
            *VersionField(version, i) = SjisFromWide(text.substr(0, 256));
        }
    }
}

} // namespace quellix
