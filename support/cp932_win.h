// Explicit conversion between the program's Shift_JIS text and the system's UTF-16, so the
// program behaves the same whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace quellix {

inline constexpr unsigned kShiftJisCodePage = 932;

[[nodiscard]] std::wstring WideFromSjis(std::string_view text);
[[nodiscard]] std::string SjisFromWide(std::wstring_view text);

} // namespace quellix
