#include "app/station_lookup.h"

#include "channels/channel_tables.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quellix {
namespace {

struct Row {
    std::optional<std::string> deck;
    std::optional<std::string> station;
    std::optional<std::string> channelNo;
};

// Whatever the deck and the channel, the look-up gives the station of the row that Locate on
// "VideoDeckName;TVChannelNo" makes current, also when it answers from what it found before.
TEST(StationLookup, FindsTheRowLocateFinds) {
    TCsvTable table = CreateTableTVChNo();
    table.Open();
    const Row rows[] = {
        {"Other", "Elsewhere", "21"},
        {"GigaPocket", "First", "21"},
        {"GigaPocket", "Second", "21"},
        {"GigaPocket", std::nullopt, "5"},
        {"GigaPocket", "No Number", std::nullopt},
        {std::nullopt, "No Deck", "21"},
        {"gigapocket", "Lower", "12"},
        {"GigaPocket", "Eight", "8"},
        {"Other", "Other Eight", "8"},
    };
    for (const Row& row : rows) {
        table.Append();
        for (const auto& [field, value] : {std::pair{"VideoDeckName", row.deck}, std::pair{"TVChannel", row.station},
                                           std::pair{"TVChannelNo", row.channelNo}}) {
            if (value) {
                table.FieldByName(field).SetAsString(*value);
            }
        }
        table.Post();
    }
    for (const char* deck : {"GigaPocket", "Other", "", "gigapocket", "Missing"}) {
        StationLookup lookup{table, deck};
        for (int pass = 0; pass < 2; ++pass) {
            for (const char* channel : {"21", "8", "5", "12", "", "99", "08"}) {
                std::optional<std::string> expected;
                if (table.Locate("VideoDeckName;TVChannelNo", {deck, channel})) {
                    expected = table.FieldByName("TVChannel").AsString();
                }
                EXPECT_EQ(lookup.Find(channel), expected) << deck << " / " << channel << " pass " << pass;
            }
        }
    }
}

} // namespace
} // namespace quellix
