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
    // Without WC_NO_BEST_FIT_CHARS the system writes the "best fit" of a character the code page
    // lacks: é becomes e, and a path so converted may name another, existing file.
    const int size = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), needed, nullptr,
                          nullptr);
    return out;
}

// The way back is the test: a character written as the default "?" or as anything else that
// does not read back as itself was lost.
std::optional<std::string> ExactSjisFromWide(std::wstring_view text) {
    std::string out = SjisFromWide(text);
    if (WideFromSjis(out) != text) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> SjisPathFromWide(const std::wstring& path) {
    if (std::optional<std::string> exact = ExactSjisFromWide(path)) {
        return exact;
    }
    std::wstring shortPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < shortPath.size()) {
            shortPath.resize(length);
            return ExactSjisFromWide(shortPath);
        }
        shortPath.resize(length);
    }
}

} // namespace quellix
