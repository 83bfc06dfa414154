#include "app/command_line.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(DecideMode, FollowsTheDecisionTable) {
    struct Case {
        std::vector<std::string> args;
        RunMode expected;
    };
    const Case cases[] = {
        {{}, RunMode::Settings},
        {{"   "}, RunMode::Settings},
        {{""}, RunMode::Settings},
        {{"C:\\Host\\reserve\\GigaPocket\\"}, RunMode::Import},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/c"}, RunMode::Settings},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/x"}, RunMode::Settings},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/C ", "z"}, RunMode::Settings},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/x", "z"}, RunMode::Import},
        {{"\\"}, RunMode::Import},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideMode(c.args), c.expected) << testing::PrintToString(c.args);
    }
}

TEST(ResolveReserveDir, AddsBackslashAndFallsBackToGigaPocket) {
    EXPECT_EQ(ResolveReserveDir("C:\\Host\\reserve\\Deck", "C:\\Host"), "C:\\Host\\reserve\\Deck\\");
    EXPECT_EQ(ResolveReserveDir("C:\\Host\\reserve\\Deck\\", "C:\\Host"), "C:\\Host\\reserve\\Deck\\");
    EXPECT_EQ(ResolveReserveDir("\\", "C:\\Host"), "C:\\Host\\reserve\\GigaPocket\\");
    EXPECT_EQ(ResolveReserveDir("\\", "C:\\Host\\"), "C:\\Host\\reserve\\GigaPocket\\");
    EXPECT_EQ(ResolveReserveDir("\\", ""), "\\reserve\\GigaPocket\\");
    // Not trimmed: blanks around the argument stay.
    EXPECT_EQ(ResolveReserveDir(" D:\\x ", "C:\\Host"), " D:\\x \\");
}

TEST(RootFile, EmptyRootGivesLeadingBackslash) {
    EXPECT_EQ(RootFile("", "pex.log"), "\\pex.log");
    EXPECT_EQ(RootFile("C:\\Host", "pex.ini"), "C:\\Host\\pex.ini");
    // A root whose last character is 表 (trail byte 0x5C) still gets its backslash.
    EXPECT_EQ(RootFile("C:\\表", "pex.ini"), "C:\\表\\pex.ini");
}

} // namespace
} // namespace quellix
