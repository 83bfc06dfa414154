// Text files as people save them today: Shift_JIS (code page 932), UTF-8 with or without a byte
// order mark, UTF-16 with one. The program works in Shift_JIS, so the others are converted to it
// when read; a character code page 932 cannot hold is never replaced by a look-alike.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

enum class TextEncoding { ShiftJis, Utf8, Utf8Bom, Utf16Le, Utf16Be };

// The encoding's name as the log shows it.
[[nodiscard]] std::string_view TextEncodingName(TextEncoding encoding) noexcept;

// Code page 932's bytes for the Unicode character `c`; nullopt when the code page has none (the
// character is then not written as another that looks like it).
[[nodiscard]] std::optional<std::string> SjisFromCodePoint(char32_t c);

// The Unicode character of the Shift_JIS character at `at`, which moves past it; U+FFFD for bytes
// that are no character of code page 932 (one byte is passed over).
[[nodiscard]] char32_t CodePointFromSjis(std::string_view text, std::size_t& at);

// The length of the longest start of `bytes` made of whole, valid UTF-8 characters (no overlong
// form, no surrogate, nothing past U+10FFFF); `invalid` is set when what follows is not valid
// UTF-8, left alone when it is only a character cut off at the end.
[[nodiscard]] std::size_t Utf8ValidPrefix(std::string_view bytes, bool& invalid) noexcept;

// How a file's bytes are encoded. A byte order mark decides. Without one the bytes are Shift_JIS
// unless they are valid UTF-8 holding a character beyond ASCII, and even then they are taken as
// UTF-8 only when that reading is the likely one: every character it gives is one code page 932
// holds, or the bytes are no valid Shift_JIS; and it does not rest on two-byte UTF-8 characters
// alone, which a pair of half-width katakana also makes.
[[nodiscard]] TextEncoding DetectTextEncoding(std::string_view bytes);

// A file's text in Shift_JIS.
struct SjisText {
    std::string text;
    TextEncoding encoding{TextEncoding::ShiftJis};
    // The 1-based line of the first character code page 932 cannot hold (it stands as
    // `substitute` in the text); 0 when there is none.
    std::size_t unholdableLine{};
};

// The bytes, in the encoding DetectTextEncoding finds, converted to Shift_JIS (without the byte
// order mark). Shift_JIS bytes are passed on as they are.
[[nodiscard]] SjisText SjisFromFileBytes(std::string_view bytes, char substitute = '?');
// The same for bytes whose encoding is known.
[[nodiscard]] SjisText SjisFromFileBytes(std::string_view bytes, TextEncoding encoding, char substitute);

// Shift_JIS text as UTF-16 or UTF-8 bytes (no byte order mark); bytes that are no character
// become U+FFFD.
[[nodiscard]] std::string Utf16FromSjis(std::string_view sjis, bool bigEndian);
[[nodiscard]] std::string Utf8FromSjis(std::string_view sjis);

// UTF-16 bytes (no byte order mark) as UTF-8 and back, losing nothing: a surrogate without its
// pair is carried as the three bytes UTF-8 would give it. An odd last byte is left out.
[[nodiscard]] std::string Utf8FromUtf16(std::string_view utf16, bool bigEndian);
[[nodiscard]] std::string Utf16FromUtf8(std::string_view utf8, bool bigEndian);

} // namespace quellix
