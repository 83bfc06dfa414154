// The command line exactly as a host registers it, passed to CreateProcessW as written: a quoted
// reserve directory ends in a backslash before its closing quote.
#include "tests/e2e/e2e_support.h"
#include "tests/shared/start_process_win.h"

#include "support/cp932_win.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quellix::e2e {
namespace {

constexpr int kIdButtonStop = 102;
const std::wstring kTunerKey = L"Software\\BUFFALO INC.";

std::wstring Substitute(std::wstring text, const std::wstring& marker, const std::wstring& value) {
    for (std::size_t at = text.find(marker); at != std::wstring::npos; at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class HostCommandLineTest : public testing::Test {
protected:
    void SetUp() override {
        DeleteRegistryTree(kTunerKey);
        SetRegistryDword(L"Software\\BUFFALO INC.\\PCastTVDigital\\AppCfg", L"LocationIdx", 13);
        SetRegistryString(L"Software\\BUFFALO INC.\\PCastTVDigital\\PCastDigi", L"Dir", root / L"tuner");
        SetRootPath(root.Path());
        for (const wchar_t* folder : {L"reserve", L"reserve\\GigaPocket", L"reserve\\予約表", L"Program Files",
                                      L"Program Files\\Pexlan", L"Program Files\\Pexlan\\reserve",
                                      L"Program Files\\Pexlan\\reserve\\My Deck", L"tuner", L"tuner\\channels"}) {
            ASSERT_TRUE(::CreateDirectoryW((root / folder).c_str(), nullptr));
        }
        for (const wchar_t* folder :
             {L"reserve\\GigaPocket", L"reserve\\予約表", L"Program Files\\Pexlan\\reserve\\My Deck"}) {
            WriteFileBytes(root / folder + L"\\old.tvpi", "x");
        }
        WriteFileBytes(root / L"tuner\\channels\\13_ChFile.txt",
                       "[Station]\r\n21=TV Alpha,0x7FE0,1\r\n[End_Station]\r\n");
    }
    void TearDown() override { DeleteRegistryTree(kTunerKey); }

    TempDir root;
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn}; // lists no tasks: the old files go
};

// Each command line gives the run a person expects: the mode, the reserve directory whose old
// files go, and the deck name under which the channel import files the tuner's stations.
TEST_F(HostCommandLineTest, QuotedDirectoriesEndingInABackslashGiveTheirDirectoryAndDeck) {
    struct Case {
        const wchar_t* commandLine; // <exe>: quellix.exe, <root>: the host's root directory
        bool importRun;
        const wchar_t* reserveDir; // below <root>: the one emptied by an import run
        const char* deck;          // "": the import files no stations
    };
    const Case cases[] = {
        {LR"("<exe>" "<root>\reserve\GigaPocket\")", true, L"reserve\\GigaPocket", "GigaPocket"},
        {LR"("<exe>" "<root>\reserve\GigaPocket\\")", true, L"reserve\\GigaPocket", "GigaPocket"},
        {LR"(<exe> <root>\reserve\GigaPocket\)", true, L"reserve\\GigaPocket", "GigaPocket"},
        {LR"("<exe>" "<root>\Program Files\Pexlan\reserve\My Deck\")", true, L"Program Files\\Pexlan\\reserve\\My Deck",
         "My Deck"},
        {LR"("<exe>" "<root>\reserve\予約表\")", true, L"reserve\\予約表", "予約表"},
        {LR"("<exe>" "<root>\reserve\GigaPocket\" /c)", false, nullptr, "GigaPocket"},
        {LR"("<exe>" "<root>\reserve\GigaPocket\" "/c")", false, nullptr, "GigaPocket"},
        {LR"("<exe>" "")", false, nullptr, ""},
    };
    for (const Case& c : cases) {
        const std::wstring commandLine =
            Substitute(Substitute(c.commandLine, L"<exe>", QuellixExe()), L"<root>", root.Path());
        SCOPED_TRACE(SjisFromWide(commandLine));
        for (const std::wstring& name : ListDir(root.Path())) {
            ::DeleteFileW((root / name).c_str()); // the tables and the log of the case before
        }
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(test_process::StartProcess(commandLine, 0, nullptr, nullptr, &process));
        std::string row{"\""};
        row.append(c.deck).append("\",\"TV Alpha\",\"21\",");
        if (!c.importRun) {
            // The settings window stays open; Stop is handled once the first activation is over.
            EXPECT_TRUE(WaitUntil([&] { return ReadLines(root / L"pex.log").size() >= 3; }));
            EXPECT_EQ(::WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
            ::PostMessageW(::GetDlgItem(WaitForMainWindow(process.dwProcessId), kIdButtonStop), BM_CLICK, 0, 0);
        }
        const RunResult result = WaitAndClose(process);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
        EXPECT_EQ(Contains(ReadLines(root / L"pexTVCHNo.csv"), row), *c.deck != '\0'); // no deck, no rows
        for (const wchar_t* folder :
             {L"reserve\\GigaPocket", L"reserve\\予約表", L"Program Files\\Pexlan\\reserve\\My Deck"}) {
            const bool emptied = c.importRun && std::wstring{folder} == c.reserveDir;
            EXPECT_EQ(FileExists(root / folder + L"\\old.tvpi"), !emptied) << SjisFromWide(folder);
            WriteFileBytes(root / folder + L"\\old.tvpi", "x");
        }
        const std::vector<std::string> log = ReadLines(root / L"pex.log");
        EXPECT_FALSE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
            return line.find("がないので予約状況をを保存できません") != std::string::npos;
        }));
    }
}

// Backslashes alone are no directory whose last backslash was doubled: only a lone "\" stands for
// the root's reserve\GigaPocket\, whose files an import run deletes.
TEST_F(HostCommandLineTest, OnlyALoneBackslashFallsBackToTheGigaPocketDirectory) {
    const struct {
        const wchar_t* argument; // as written on the command line
        const char* missing;     // the directory the log names as missing; nullptr: GigaPocket is emptied
    } cases[] = {
        {LR"("\\")", R"(\\)"},
        {LR"(\\\)", R"(\\\)"},
        {LR"(\)", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SjisFromWide(c.argument));
        ::DeleteFileW((root / L"pex.log").c_str());
        WriteFileBytes(root / L"reserve\\GigaPocket\\old.tvpi", "x");
        std::wstring commandLine = L"\"" + QuellixExe() + L"\" " + c.argument;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(test_process::StartProcess(commandLine, 0, nullptr, nullptr, &process));
        const RunResult result = WaitAndClose(process);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(FileExists(root / L"reserve\\GigaPocket\\old.tvpi"), c.missing != nullptr);
        const std::vector<std::string> log = ReadLines(root / L"pex.log");
        if (c.missing != nullptr) {
            EXPECT_TRUE(Contains(log, std::string{"pex.log: "} + c.missing +
                                          "がないので予約状況をを保存できません. (C.ERROR)"));
        }
    }
}

} // namespace
} // namespace quellix::e2e
