#include "channels/channel_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quellix {
namespace {

TEST(ParseChannelEntry, CutsAtTheFirstEqualsSignAndTheFirstComma) {
    struct Case {
        std::string line;
        std::string channelNo;
        std::string station;
    };
    const std::vector<Case> cases{
        {"12 = ABC , x, y", "12", "ABC"},
        {"12=ABC", "12", "ABC"}, // no comma: all after the equals sign
        {"12= 局名 ", "12", "局名"},
        {"ABC", "", ""},        // neither
        {"ABC,1", "", "ABC"},   // no equals sign: the text before the comma
        {"1,2=ABC", "1,2", ""}, // the comma comes first
        {"", "", ""},           // a blank line inside a block
        {"  \t ", "", ""},
        {"12=A=B,C=D", "12", "A=B"}, // only the first of each counts
        {"=,", "", ""},
        {"\x01 27\t=\r NHK総合 \x1f, 1, 2", "27", "NHK総合"},
        // Trail bytes 0x5C (ソ, 表, 能) are kept as they stand.
        {"5=ソニー表能,", "5", "ソニー表能"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ChannelEntry entry = ParseChannelEntry(c.line);
        EXPECT_EQ(entry.TVChannelNo, c.channelNo);
        EXPECT_EQ(entry.TVChannel, c.station);
    }
}

std::vector<ChannelEntry> Entries(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    std::vector<ChannelEntry> out;
    for (const auto& [no, station] : pairs) {
        out.push_back({no, station});
    }
    return out;
}

TEST(ParseChannelFile, ReadsOnlyTheLinesInsideExactStationBlocks) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<ChannelEntry> expected;
    };
    const std::vector<Case> cases{
        {"one block", "[Station]\n1=A,x\n2=B,y\n[End_Station]\n", Entries({{"1", "A"}, {"2", "B"}})},
        {"lines outside are ignored", "1=X,\n[Station]\n1=A,\n[End_Station]\n2=Y,\n", Entries({{"1", "A"}})},
        {"two blocks", "[Station]\n1=A,\n[End_Station]\n[Station]\n2=B,\n[End_Station]\n",
         Entries({{"1", "A"}, {"2", "B"}})},
        {"blank line inside", "[Station]\n\n1=A,\n[End_Station]\n", Entries({{"", ""}, {"1", "A"}})},
        {"leading blank does not open", " [Station]\n1=A,\n[End_Station]\n", {}},
        {"trailing blank does not open", "[Station] \n1=A,\n", {}},
        {"lower case does not open", "[station]\n1=A,\n[End_Station]\n", {}},
        {"tab does not open", "\t[Station]\n1=A,\n", {}},
        {"close with a blank is an entry", "[Station]\n1=A,\n [End_Station]\n2=B,\n",
         Entries({{"1", "A"}, {"", ""}, {"2", "B"}})},
        {"lower-case close is an entry", "[Station]\n[end_station]\n", Entries({{"", ""}})},
        {"open inside a block is an entry", "[Station]\n[Station]\n1=A,\n", Entries({{"", ""}, {"1", "A"}})},
        {"close outside is ignored", "[End_Station]\n1=A,\n", {}},
        {"file ends inside a block", "[Station]\n1=A,\n2=B,", Entries({{"1", "A"}, {"2", "B"}})},
        {"CR LF line ends", "[Station]\r\n1=A,\r\n[End_Station]\r\n3=C,\r\n", Entries({{"1", "A"}})},
        {"lone CR is dropped", "[Sta\rtion]\n1=A\r,\r\n[End_Station]\n", Entries({{"1", "A"}})},
        {"CR alone is no line end", "[Station]\r1=A,\r[End_Station]\r", {}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseChannelFile(c.bytes), c.expected);
    }
}

TEST(ChannelBlockScanner, TracksTheBlockState) {
    ChannelBlockScanner scanner;
    EXPECT_FALSE(scanner.Feed("[Station]"));
    EXPECT_TRUE(scanner.InsideBlock());
    EXPECT_EQ(scanner.Feed("27=表示,"), (ChannelEntry{"27", "表示"}));
    EXPECT_FALSE(scanner.Feed("[End_Station]"));
    EXPECT_FALSE(scanner.InsideBlock());
    EXPECT_FALSE(scanner.Feed("27=表示,"));
}

TEST(ChannelFileName, HasAtLeastTwoDigits) {
    EXPECT_EQ(ChannelFileName(0), "00_ChFile.txt");
    EXPECT_EQ(ChannelFileName(7), "07_ChFile.txt");
    EXPECT_EQ(ChannelFileName(13), "13_ChFile.txt");
    EXPECT_EQ(ChannelFileName(123), "123_ChFile.txt");
}

} // namespace
} // namespace quellix
