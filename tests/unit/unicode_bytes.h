// Test texts as the bytes an editor saves: UTF-8 and UTF-16 with its byte order mark.
#pragma once

#include <string>
#include <string_view>

namespace quellix::testing {

inline std::string Utf8Bytes(std::u8string_view text) {
    return {text.begin(), text.end()};
}

// UTF-16 in either byte order, its byte order mark first.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace quellix::testing
