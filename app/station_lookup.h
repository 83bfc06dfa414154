// The harvest's look-up of a tuner task's station in TableTVChNo: (deck name, channel number) to
// the station name, as Locate on "VideoDeckName;TVChannelNo" finds it.
#pragma once

#include "channels/csv_table.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// Finds the first row in row order whose deck name and channel number compare equal (by
// LocaleTextEquals, as Locate compares) to the deck's and the channel's; the open table must not
// change while the look-up is in use. Each row's deck name is compared once, and each channel
// number of the deck's rows once per distinct channel, instead of every row for every task: under
// Wine a locale comparison costs microseconds, and a listing holds thousands of tasks.
class StationLookup {
public:
    StationLookup(TCsvTable& table, std::string_view deckName);

    // The row's TVChannel text (empty for a null value); nullopt when no row matches.
    [[nodiscard]] std::optional<std::string> Find(std::string_view channel);

private:
    const TableRecords& records_;
    std::size_t channelNoField_;
    std::size_t stationField_;
    std::vector<std::size_t> deckRows_;                                           // in row order
    std::map<std::string, std::optional<std::size_t>, std::less<>> rowOfChannel_; // found so far
};

} // namespace quellix
