#include "support/settings_values.h"

#include "support/text.h"

namespace quellix::settings {

std::string QuoteForWrite(std::string_view value) {
    // A lone quote mark begins and ends with itself: it gets the pair too and still reads back as
    // it was.
    const bool enclosed =
        !value.empty() && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (!enclosed) {
        return std::string{value};
    }
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

std::string ClipReadValue(std::string_view value) {
    if (value.size() <= kMaxReadValue) {
        return std::string{value};
    }
    std::size_t end = 0;
    for (std::size_t i = 0; i < kMaxReadValue;) {
        const std::size_t width = IsSjisLeadByte(static_cast<unsigned char>(value[i])) ? 2 : 1;
        if (i + width > kMaxReadValue) {
            break;
        }
        i += width;
        end = i;
    }
    return std::string{value.substr(0, end)};
}

std::string FormatFourNumbers(const std::array<int, 4>& numbers) {
    std::string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += std::to_string(numbers[i]);
    }
    return text;
}

std::array<std::optional<int>, 4> ParseFourNumbers(std::string_view value) {
    std::array<std::optional<int>, 4> words{};
    std::size_t start = 0;
    for (std::size_t index = 0; index < words.size() && start <= value.size(); ++index) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) {
            comma = value.size();
        }
        const std::string_view word = value.substr(start, comma - start);
        // StrToIntDef has no "not a number" result of its own: test with two different fallbacks.
        const int a = StrToIntDef(word, 0);
        if (a == StrToIntDef(word, 1)) {
            words[index] = a;
        }
        start = comma + 1;
    }
    return words;
}

std::string ResolutionSuffix(int width, int height) {
    std::string suffix{"("};
    suffix.append(std::to_string(width)).append("x").append(std::to_string(height)).append(")");
    return suffix;
}

std::optional<std::string> PickPositionValue(std::string_view withResolution, std::string_view plain) {
    if (!withResolution.empty()) {
        return std::string{withResolution};
    }
    if (!plain.empty()) {
        return std::string{plain};
    }
    return std::nullopt;
}

TWindowState WindowStateFromShowCmd(int showCmd, TWindowState fallback) noexcept {
    switch (showCmd) {
    case 1:
    case 5:
    case 9:
        return TWindowState::Normal;
    case 2:
    case 6:
    case 7:
        return TWindowState::Minimized;
    case 3:
        return TWindowState::Maximized;
    default:
        return fallback;
    }
}

std::string StoredPropertyKey(std::string_view storedProp) {
    std::string key{storedProp};
    const std::size_t dot = key.find('.');
    if (dot != std::string::npos) {
        key[dot] = '_';
    }
    return key;
}

} // namespace quellix::settings
