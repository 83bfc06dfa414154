#include "app/command_line.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

// The command lines a host writes for a directory, backslash before the closing quote included;
// under the platform's own splitting rules that backslash would escape the quote.
TEST(SplitCommandLine, GivesTheArgumentsAPersonWouldExpect) {
    using Args = std::vector<std::string>;
    struct Case {
        const char* commandLine;
        Args expected;
    };
    const Case cases[] = {
        {R"(quellix.exe "C:\Pexlan\reserve\GigaPocket\")", {R"(C:\Pexlan\reserve\GigaPocket\)"}},
        {R"(quellix.exe "C:\Pexlan\reserve\GigaPocket\\")", {R"(C:\Pexlan\reserve\GigaPocket\)"}},
        {R"(quellix.exe C:\Pexlan\reserve\GigaPocket\)", {R"(C:\Pexlan\reserve\GigaPocket\)"}},
        {R"(quellix.exe C:\Pexlan\reserve\GigaPocket\\\)", {R"(C:\Pexlan\reserve\GigaPocket\)"}},
        {R"("C:\Program Files\Pexlan\quellix.exe" "C:\Program Files\Pexlan\reserve\My Deck\")",
         {R"(C:\Program Files\Pexlan\reserve\My Deck\)"}},
        {R"(quellix.exe "C:\Pexlan\reserve\GigaPocket\" /c)", {R"(C:\Pexlan\reserve\GigaPocket\)", "/c"}},
        {R"(quellix.exe "C:\Pexlan\reserve\GigaPocket\" "/c")", {R"(C:\Pexlan\reserve\GigaPocket\)", "/c"}},
        {"quellix.exe \"\"", {""}},
        {"quellix.exe \"\" /c", {"", "/c"}},
        // 表 ends in the byte 0x5C: no backslash, neither for the quote nor for the collapse.
        {R"(quellix.exe "D:\録画\表")", {R"(D:\録画\表)"}},
        {R"(quellix.exe "D:\録画\表\\")", {R"(D:\録画\表\)"}},
        {R"(quellix.exe D:\表\\ /c)", {R"(D:\表\)", "/c"}},
        // Only the first argument is the reserve directory.
        {R"(quellix.exe C:\a\\ b\\ c)", {R"(C:\a\)", R"(b\\)", "c"}},
        {"quellix.exe\tC:\\a\t\t/c  ", {R"(C:\a)", "/c"}},
        // Backslashes alone are no path whose end could be doubled: only a lone one is the
        // fallback to the root's reserve directory.
        {R"(quellix.exe \)", {"\\"}},
        {R"(quellix.exe \\)", {R"(\\)"}},
        {R"(quellix.exe "\\")", {R"(\\)"}},
        {R"(quellix.exe \\\ /c)", {R"(\\\)", "/c"}},
        {R"(quellix.exe a"b c"d "e)", {"ab cd", "e"}},
        {R"("C:\Program Files\Pexlan\quellix.exe")", {}},
        {R"("C:\Program Files\Pexlan\quellix.exe"   )", {}},
        {R"(C:\Pexlan\quellix.exe)", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.commandLine), c.expected) << c.commandLine;
    }
}

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
        {{"C:\\Host\\reserve\\GigaPocket\\", " /CHECK\t"}, RunMode::Check},
        {{"", "/check"}, RunMode::Check},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/check", "z"}, RunMode::Import},
        {{"C:\\Host\\reserve\\GigaPocket\\", "/checks"}, RunMode::Settings},
        {{"/check"}, RunMode::Import},
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
    EXPECT_EQ(ResolveReserveDir("\\\\", "C:\\Host"), "\\\\"); // names no directory
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
