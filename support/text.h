// Byte-string helpers for Shift_JIS (code page 932) text: trimming, ASCII case, and the
// double-byte-aware path delimiter handling used wherever the program looks for a backslash.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// True for a byte that starts a Shift_JIS double-byte character (0x81-0x9F, 0xE0-0xFC).
[[nodiscard]] constexpr bool IsSjisLeadByte(unsigned char c) noexcept {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Removes every byte from 0x00 to 0x20 from both ends.
[[nodiscard]] std::string Trim(std::string_view text);
[[nodiscard]] std::string TrimLeft(std::string_view text);
[[nodiscard]] std::string TrimRight(std::string_view text);

// Lower-cases ASCII letters only, leaving both bytes of every double-byte character as they are.
[[nodiscard]] std::string AsciiLower(std::string_view text);
[[nodiscard]] std::string AsciiUpper(std::string_view text);

// Index of the last byte of `text` that is one of `delimiters` and is not the second byte of a
// double-byte character; npos when there is none.
[[nodiscard]] std::size_t LastDelimiter(std::string_view text, std::string_view delimiters);

// 1-based position of the first occurrence of `needle` in `text` that does not start on the second
// byte of a double-byte character; 0 when there is none (an empty needle gives 0).
[[nodiscard]] std::size_t SjisPos(std::string_view needle, std::string_view text);

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a whole character: a cut
// never keeps the lead byte of a double-byte character without its trail byte.
[[nodiscard]] std::string_view SjisHead(std::string_view text, std::size_t maxBytes) noexcept;

// Up to `count` bytes from 1-based `index`, clipped as the program's substring rules say: empty
// when count < 1 or index is past the end, from the start when index < 1.
[[nodiscard]] std::string Copy(std::string_view text, long long index, long long count);

// True when the path's last character is a backslash (a 0x5C trail byte does not count).
[[nodiscard]] bool EndsWithPathDelimiter(std::string_view path);

// The path with a trailing backslash added when it does not already end in one.
[[nodiscard]] std::string IncludeTrailingBackslash(std::string_view path);

// Everything after the last backslash or colon.
[[nodiscard]] std::string ExtractFileName(std::string_view path);

// Everything up to and including the last backslash or colon (empty when there is none).
[[nodiscard]] std::string ExtractFilePath(std::string_view path);

// The deck name of a reserve directory argument: one trailing backslash dropped, then the last
// path component.
[[nodiscard]] std::string DeckNameFromArgument(std::string_view argument);

// Decimal integer of the whole text (optional sign, leading blanks allowed); nullopt when the
// text is not one or does not fit into 32 bits.
[[nodiscard]] std::optional<int> TryStrToInt(std::string_view text);
// The same with `fallback` in place of nullopt.
[[nodiscard]] int StrToIntDef(std::string_view text, int fallback);

// printf-style "%2.2d": at least two digits, zero-padded.
[[nodiscard]] std::string TwoDigits(long long value);

} // namespace quellix
