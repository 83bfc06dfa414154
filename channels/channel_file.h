// The tuner's channel file: "[Station]" ... "[End_Station]" blocks whose lines pair a channel
// number with a station name ("12=Station,..."). Works on lines of bytes; nothing is converted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

inline constexpr std::string_view kStationBlockOpen = "[Station]";
inline constexpr std::string_view kStationBlockClose = "[End_Station]";

// What one entry line of a station block says.
struct ChannelEntry {
    std::string TVChannelNo; // before the first "=", trimmed; empty without "="
    std::string TVChannel;   // after the first "=", up to the first ",", trimmed (see ParseChannelEntry)

    friend bool operator==(const ChannelEntry&, const ChannelEntry&) = default;
};

// Splits one entry line. The station name is the text after the first "=" up to the first ","
// (all of it when there is no ","), the text before the first "," when there is no "=", and empty
// when the first "," comes before the first "=" or there is neither. Both parts are trimmed.
[[nodiscard]] ChannelEntry ParseChannelEntry(std::string_view line);

// Follows the blocks of a channel file line by line.
class ChannelBlockScanner {
public:
    // The entry that `line` gives, or nothing for a line that opens or closes a block or lies
    // outside every block. Only the exact lines "[Station]" and "[End_Station]" (whole line,
    // byte for byte) open and close a block; inside a block every other line is an entry.
    [[nodiscard]] std::optional<ChannelEntry> Feed(std::string_view line);
    [[nodiscard]] bool InsideBlock() const noexcept { return inside_; }

private:
    bool inside_ = false;
};

// Every entry of a whole channel file held in memory, in file order (LF or CR LF line ends, a
// lone CR dropped).
[[nodiscard]] std::vector<ChannelEntry> ParseChannelFile(std::string_view bytes);

// The channel file of an area: the number with at least two digits, then "_ChFile.txt".
[[nodiscard]] std::string ChannelFileName(int areaNumber);

} // namespace quellix
