#include "channels/channel_file.h"

#include "support/line_reader.h"
#include "support/text.h"

namespace quellix {

ChannelEntry ParseChannelEntry(std::string_view line) {
    // "=" and "," are below 0x40, so they never occur as the second byte of a double-byte
    // character: a plain byte search finds the same positions as a Shift_JIS-aware one.
    const std::size_t equals = line.find('=');
    const std::size_t comma = line.find(',');
    ChannelEntry entry;
    if (equals != std::string_view::npos) {
        entry.TVChannelNo = Trim(line.substr(0, equals));
    }
    if (equals < comma) {
        // Without a comma (npos), all that follows the "=" names the station.
        entry.TVChannel = Trim(line.substr(equals + 1, comma - equals - 1));
    } else if (equals == std::string_view::npos && comma != std::string_view::npos) {
        entry.TVChannel = Trim(line.substr(0, comma));
    }
    return entry;
}

std::optional<ChannelEntry> ChannelBlockScanner::Feed(std::string_view line) {
    if (!inside_) {
        inside_ = line == kStationBlockOpen;
        return std::nullopt;
    }
    if (line == kStationBlockClose) {
        inside_ = false;
        return std::nullopt;
    }
    return ParseChannelEntry(line);
}

std::vector<ChannelEntry> ParseChannelFile(std::string_view bytes) {
    std::vector<ChannelEntry> entries;
    ChannelBlockScanner scanner;
    ForEachLine(bytes, [&](std::string_view line) {
        if (auto entry = scanner.Feed(line)) {
            entries.push_back(std::move(*entry));
        }
    });
    return entries;
}

std::string ChannelFileName(int areaNumber) {
    return TwoDigits(areaNumber) + "_ChFile.txt";
}

} // namespace quellix
