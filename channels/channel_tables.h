// The program's three channel tables: the station renaming table, the tuner's channel numbers per
// recording deck, and the station data. Each factory makes the empty, closed table with its
// fields; the file path (the host's root directory + the file name below) is set before Open.
#pragma once

#include "channels/csv_table.h"

#include <string>
#include <string_view>

namespace quellix {

inline constexpr std::string_view kTableTVFileName = "tvconvert.csv";
inline constexpr std::string_view kTableTVChNoFileName = "pexTVCHNo.csv";
inline constexpr std::string_view kTableTVChDataFileName = "tvchdata.csv";

// OldChannel (the station name as the tuner spells it), NewChannel (the name to use instead).
[[nodiscard]] TCsvTable CreateTableTV(std::string filePath = {});
// VideoDeckName (labelled "ToolName"), TVChannel, TVChannelNo.
[[nodiscard]] TCsvTable CreateTableTVChNo(std::string filePath = {});
// TVChannel, TVChannelNo, TVURL.
[[nodiscard]] TCsvTable CreateTableTVChData(std::string filePath = {});

} // namespace quellix
