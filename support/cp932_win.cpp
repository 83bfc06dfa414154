#include "support/cp932_win.h"

#include <windows.h>

namespace quellix {

std::wstring WideFromSjis(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), size, out.data(), needed);
    return out;
}

std::string SjisFromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(kShiftJisCodePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(kShiftJisCodePage, 0, text.data(), size, out.data(), needed, nullptr, nullptr);
    return out;
}

} // namespace quellix
