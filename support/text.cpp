#include "support/text.h"

#include <charconv>

namespace quellix {

namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}
} // namespace

std::string Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

std::string TrimLeft(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    return std::string{text.substr(first)};
}

std::string TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return std::string{text.substr(0, end)};
}

std::string AsciiLower(std::string_view text) {
    std::string out{text};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsSjisLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out{text};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsSjisLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::size_t LastDelimiter(std::string_view text, std::string_view delimiters) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsSjisLeadByte(c) && i + 1 < text.size()) {
            ++i; // the trail byte may be 0x5C, which is not a backslash here
        } else if (delimiters.find(text[i]) != std::string_view::npos) {
            found = i;
        }
    }
    return found;
}

std::size_t SjisPos(std::string_view needle, std::string_view text) {
    if (needle.empty() || needle.size() > text.size()) {
        return 0;
    }
    // Byte matches found by the library's search, each kept only when it starts a character.
    std::size_t characterStart = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) {
        while (characterStart < at) {
            characterStart += IsSjisLeadByte(static_cast<unsigned char>(text[characterStart])) ? 2 : 1;
        }
        if (characterStart == at) {
            return at + 1;
        }
    }
    return 0;
}

std::string_view SjisHead(std::string_view text, std::size_t maxBytes) noexcept {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = 0;
    for (;;) {
        const std::size_t next = end + (IsSjisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
        if (next > maxBytes) {
            return text.substr(0, end);
        }
        end = next;
    }
}

std::string Copy(std::string_view text, long long index, long long count) {
    if (count < 1) {
        return {};
    }
    if (index < 1) {
        index = 1;
    }
    if (index > static_cast<long long>(text.size())) {
        return {};
    }
    const auto start = static_cast<std::size_t>(index - 1);
    return std::string{text.substr(start, static_cast<std::size_t>(count))};
}

bool EndsWithPathDelimiter(std::string_view path) {
    return !path.empty() && LastDelimiter(path, "\\") == path.size() - 1;
}

std::string IncludeTrailingBackslash(std::string_view path) {
    std::string out{path};
    if (!EndsWithPathDelimiter(path)) {
        out += '\\';
    }
    return out;
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t at = LastDelimiter(path, "\\:");
    return std::string{at == std::string_view::npos ? path : path.substr(at + 1)};
}

std::string ExtractFilePath(std::string_view path) {
    const std::size_t at = LastDelimiter(path, "\\:");
    return at == std::string_view::npos ? std::string{} : std::string{path.substr(0, at + 1)};
}

std::string DeckNameFromArgument(std::string_view argument) {
    // A final 0x5C that is the second byte of a character (表, ソ) is part of the name: dropping it
    // would leave a lone lead byte as the deck name's last byte, a name no person gave.
    if (EndsWithPathDelimiter(argument)) {
        argument.remove_suffix(1);
    }
    return ExtractFileName(argument);
}

std::optional<int> TryStrToInt(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && text[first] == ' ') {
        ++first;
    }
    text.remove_prefix(first);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int StrToIntDef(std::string_view text, int fallback) {
    return TryStrToInt(text).value_or(fallback);
}

std::string TwoDigits(long long value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 2) {
        digits.insert(0, 2 - digits.size(), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

} // namespace quellix
