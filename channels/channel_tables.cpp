#include "channels/channel_tables.h"

#include <utility>
#include <vector>

namespace quellix {

TCsvTable CreateTableTV(std::string filePath) {
    return TCsvTable({{"OldChannel", "元のTV局名", 40}, {"NewChannel", "新しいTV局名", 40}}, std::move(filePath));
}

TCsvTable CreateTableTVChNo(std::string filePath) {
    return TCsvTable({{"VideoDeckName", "ToolName", 256}, {"TVChannel", "", 30}, {"TVChannelNo", "", 256}},
                     std::move(filePath));
}

TCsvTable CreateTableTVChData(std::string filePath) {
    return TCsvTable({{"TVChannel", "", 40}, {"TVChannelNo", "", 16}, {"TVURL", "", 255}}, std::move(filePath));
}

} // namespace quellix
