// Explicit conversion between the program's Shift_JIS text and the system's UTF-16, so the
// program behaves the same whatever the system's ANSI code page is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quellix {

inline constexpr unsigned kShiftJisCodePage = 932;

[[nodiscard]] std::wstring WideFromSjis(std::string_view text);
// A character that code page 932 cannot hold (é, 𠮷) becomes "?", never a look-alike (é is not
// turned into e): a path converted so names no other file. For texts that are only shown.
[[nodiscard]] std::string SjisFromWide(std::wstring_view text);
// The Shift_JIS text; nullopt when a character does not survive code page 932.
[[nodiscard]] std::optional<std::string> ExactSjisFromWide(std::wstring_view text);
// An existing file's or directory's path in Shift_JIS: its own name when that survives code page
// 932, otherwise its short (8.3) name when the system has one that does; nullopt when neither.
[[nodiscard]] std::optional<std::string> SjisPathFromWide(const std::wstring& path);

} // namespace quellix
