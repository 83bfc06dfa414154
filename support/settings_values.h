// The rules for the values the settings store keeps in pex.ini: quoting of text values, the
// four-number placement values, the resolution-suffixed keys, the version test and the meaning of
// a stored show command. Pure functions over Shift_JIS bytes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quellix::settings {

// Keys of the section, in the order a save writes them.
inline constexpr const char* kKeyFormVersion = "FormVersion";
inline constexpr const char* kKeyFlags = "Flags";
inline constexpr const char* kKeyShowCmd = "ShowCmd";
inline constexpr const char* kKeyPixelsPerInch = "PixelsPerInch";
inline constexpr const char* kKeyMinMaxPos = "MinMaxPos";
inline constexpr const char* kKeyNormPos = "NormPos";
inline constexpr const char* kKeyVisible = "Visible";

// The longest value a read gives back, in bytes.
inline constexpr std::size_t kMaxReadValue = 2047;

// A text value as it goes into the file: a value that begins and ends with a double quote, or
// begins and ends with a single quote, gets one more enclosing pair of double quotes, because the
// reader takes one enclosing pair away.
[[nodiscard]] std::string QuoteForWrite(std::string_view value);

// A value as read back: cut to kMaxReadValue bytes without splitting a double-byte character.
[[nodiscard]] std::string ClipReadValue(std::string_view value);

// "%d,%d,%d,%d".
[[nodiscard]] std::string FormatFourNumbers(const std::array<int, 4>& numbers);

// The comma-separated words 1 to 4; a missing or non-numeric word is nullopt.
[[nodiscard]] std::array<std::optional<int>, 4> ParseFourNumbers(std::string_view value);

// "(%dx%d)": the suffix of the keys kept for one screen resolution.
[[nodiscard]] std::string ResolutionSuffix(int width, int height);

// The value of the resolution key when it is present and not empty, else that of the plain key;
// nullopt when neither has one.
[[nodiscard]] std::optional<std::string> PickPositionValue(std::string_view withResolution, std::string_view plain);

// A stored version below the store's own means the file is not applied at all.
[[nodiscard]] constexpr bool VersionAllowsRestore(int storedVersion, int version) noexcept {
    return storedVersion >= version;
}

enum class TWindowState { Normal, Minimized, Maximized };

// A stored show command: 1, 5, 9 normal; 2, 6, 7 minimized; 3 maximized; anything else `fallback`.
[[nodiscard]] TWindowState WindowStateFromShowCmd(int showCmd, TWindowState fallback) noexcept;

// "PdigiDir.Text" is kept under the key "PdigiDir_Text".
[[nodiscard]] std::string StoredPropertyKey(std::string_view storedProp);

} // namespace quellix::settings
