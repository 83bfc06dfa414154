// The real quellix.exe on what real machines leave behind: a tuner channel file whose long station
// names agree in their first 30 bytes, the Task Scheduler listings of older Windows and of other
// languages with the tool's own lines before the header, and a table file it cannot open.
#include "tests/e2e/harvest_e2e_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace quellix::e2e {
namespace {

using testing::Language;
using testing::Layout;
using testing::ListingHeader;
using testing::ListingRow;
using testing::Quotes;
using testing::TunerCommand;

// The tuner's registry values pointing at a channel file of the test's own, removed at the end.
class TunerChannelFile {
public:
    TunerChannelFile(const TempDir& root, const std::string& channelFile) {
        DeleteRegistryTree(kKey);
        const std::wstring tuner = root / L"tuner";
        EXPECT_TRUE(::CreateDirectoryW(tuner.c_str(), nullptr));
        EXPECT_TRUE(::CreateDirectoryW((tuner + L"\\channels").c_str(), nullptr));
        SetRegistryString(std::wstring{kKey} + L"\\PCastTVDigital\\PCastDigi", L"Dir", tuner);
        SetRegistryDword(std::wstring{kKey} + L"\\PCastTVDigital\\AppCfg", L"LocationIdx", 13);
        WriteFileBytes(tuner + L"\\channels\\13_ChFile.txt", channelFile);
    }
    TunerChannelFile(const TunerChannelFile&) = delete;
    TunerChannelFile& operator=(const TunerChannelFile&) = delete;
    ~TunerChannelFile() { DeleteRegistryTree(kKey); }

private:
    static constexpr const wchar_t* kKey = L"Software\\BUFFALO INC.";
};

// Five stations, two pairs of them sharing their first 30 bytes: in one pair the cut falls between
// two characters, in the other in the middle of one (東 and 西 differ only from their lead bytes).
TEST_F(StandInHarvestTest, StationsWhoseLongNamesAgreeInTheFirst30BytesKeepTheirOwnRows) {
    const std::string ascii = "Quellix Long Station Name 1234";   // 30 bytes
    const std::string japanese = "関東広域テレビジョン放送局網A"; // 29 bytes
    const TunerChannelFile channels{root, "[Station]\r\n21=" + ascii + "East,0x0400,1\r\n22=" + ascii +
                                              "West,0x0401,1\r\n8=" + japanese + "東京,0x0408,1\r\n9=" + japanese +
                                              "西部,0x0409,1\r\n5=短名局,0x0405,1\r\n[End_Station]\r\n"};
    const std::wstring deck = root / L"reserve\\Long";
    ASSERT_TRUE(::CreateDirectoryW(deck.c_str(), nullptr));
    std::vector<std::string> rows{ListingHeader()};
    for (const char* channel : {"21", "22", "8", "9", "5"}) {
        rows.push_back(
            ListingRow("\\t", "2009/03/01 21:00:00", TunerCommand("Ch" + std::string{channel}, channel, 30)));
    }
    const RunResult result = ImportAsForetold(deck + L"\\", Listing(rows));
    ASSERT_TRUE(result.finished);

    const auto file = [](const std::string& station, const char* channel) {
        return TvpiFile(station, "2009", "03", "01", "21:01", "21:30", std::string{"Ch"} + channel);
    };
    EXPECT_EQ(Files(deck), (std::map<std::string, std::string>{{"20090301210121.tvpi", file(ascii, "21")},
                                                               {"20090301210122.tvpi", file(ascii, "22")},
                                                               {"20090301210108.tvpi", file(japanese, "8")},
                                                               {"20090301210109.tvpi", file(japanese, "9")},
                                                               {"20090301210105.tvpi", file("短名局", "5")}}));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    const std::string table = ReadFileBytes(root / L"pexTVCHNo.csv");
    EXPECT_NE(table.find("\"Long\",\"" + ascii + "\",\"21\",\r\n\"Long\",\"" + ascii + "\",\"22\",\r\n\"Long\",\"" +
                         japanese + "\",\"8\",\r\n\"Long\",\"" + japanese +
                         "\",\"9\",\r\n\"Long\",\"短名局\",\"5\",\r\n"),
              std::string::npos)
        << table;
}

TEST_F(StandInHarvestTest, ReadsTheListingsOfOlderWindowsAndOtherLanguages) {
    const struct {
        const char* what;
        Layout layout;
        Language language;
        const char* before; // the tool's own lines before the header
        const char* nextRun;
    } cases[] = {
        {"XP, Japanese", Layout::Xp, Language::Japanese, "情報: 一部のタスクを表示できません。\r\n",
         "21:00:00, 2009/03/01"},
        {"Vista, English", Layout::Vista, Language::English, "INFO: Some tasks cannot be shown.\r\n",
         "2009/03/01 21:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A title with a double quote the tool did not double; no line break after the last line.
        const std::string listing =
            c.before + ListingHeader(c.layout, c.language) + "\r\n" +
            ListingRow(c.layout, "\\a", c.nextRun, TunerCommand("\"Q\" News", "21", 30), Quotes::AsIs) + "\r\n" +
            ListingRow(c.layout, "\\b", "無効", TunerCommand("Off", "21", 30)) + "\r\n" +
            ListingRow(c.layout, "\\c", c.nextRun, TunerCommand("Last", "8", 45));
        const RunResult result = ImportAsForetold(reserve + L"\\", listing);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(Files(reserve),
                  (std::map<std::string, std::string>{
                      {"20090301210121.tvpi", TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "\"Q\" News")},
                      {"20090301210108.tvpi", TvpiFile("ソフト放送", "2009", "03", "01", "21:01", "21:45", "Last")}}));
        EXPECT_EQ(HarvestLog(), (std::vector<std::string>{
                                    "Quellix開始", "次回実行日時がないため取り込みません: \"Off\"", "Quellix終了"}));
        ::DeleteFileW((root / L"pex.log").c_str());
    }
}

// The user's regional formats in the test prefix (what the system's locale functions report for
// the user), set for the scope and put back at its end: the other tests share the prefix.
class UserFormats {
public:
    UserFormats(const std::wstring& shortDate, const std::wstring& timeFormat) {
        Set(L"sShortDate", shortDate);
        Set(L"sTimeFormat", timeFormat);
        Set(L"s1159", L"AM");
        Set(L"s2359", L"PM");
    }
    UserFormats(const UserFormats&) = delete;
    UserFormats& operator=(const UserFormats&) = delete;
    ~UserFormats() {
        for (const auto& [name, value] : previous_) {
            if (value) {
                SetRegistryString(kKey, name, *value);
            } else {
                DeleteRegistryValue(kKey, name);
            }
        }
    }

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\International";

    void Set(const std::wstring& name, const std::wstring& value) {
        wchar_t buffer[256]{};
        DWORD size = sizeof buffer;
        const bool had = ::RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) ==
                         ERROR_SUCCESS;
        previous_.emplace_back(name, had ? std::optional<std::wstring>{buffer} : std::nullopt);
        SetRegistryString(kKey, name, value);
    }

    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> previous_;
};

// One task of an English (United States) listing in the 28 columns of Vista and later.
std::string EnglishListingRow(std::string_view taskName, std::string_view nextRun, std::string_view command) {
    return testing::QuotedFields({"QUELLIX-PC",
                                  taskName,
                                  nextRun,
                                  "Ready",
                                  "Interactive only",
                                  "11/30/1999 12:00:00 AM",
                                  "1",
                                  "tuner",
                                  command,
                                  "C:\\Program Files\\BUFFALO\\PCastDigi",
                                  "N/A",
                                  "Enabled",
                                  "Disabled",
                                  "Stop On Battery Mode, No Start On Batteries",
                                  "tuner",
                                  "Disabled",
                                  "72:00:00",
                                  "Scheduling data is not available in this format.",
                                  "One Time Only",
                                  "N/A",
                                  "N/A",
                                  "N/A",
                                  "N/A",
                                  "N/A",
                                  "Disabled",
                                  "Disabled",
                                  "Disabled",
                                  "Disabled"});
}

// The tool prints the next run times in the user's formats, which Quellix reads from the system:
// a 12-hour clock (English, United States), and the day before the month (English, United
// Kingdom), give the same reservations; a text that states no time of day gives none.
TEST_F(StandInHarvestTest, ReadsTheNextRunTimesInTheUsersFormats) {
    const struct {
        const wchar_t* shortDate;
        const wchar_t* timeFormat;
        const char* nextRuns[4];
    } cases[] = {
        {L"M/d/yyyy",
         L"h:mm:ss tt",
         {"3/1/2009 9:00:00 PM", "3/2/2009 12:30:00 PM", "3/14/2009 6:59:00 PM", "3/15/2009 9:00:00 p.m."}},
        {L"dd/MM/yyyy",
         L"HH:mm:ss",
         {"01/03/2009 21:00:00", "02/03/2009 12:30:00", "14/03/2009 18:59:00", "15/03/2009 21:00:00 p.m."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SjisFromWide(c.shortDate));
        const UserFormats formats{c.shortDate, c.timeFormat};
        const std::string listing = ListingHeader(Layout::Vista, Language::English) + "\r\n" +
                                    EnglishListingRow("\\a", c.nextRuns[0], TunerCommand("Night", "21", 30)) + "\r\n" +
                                    EnglishListingRow("\\b", c.nextRuns[1], TunerCommand("Noon", "8", 45)) + "\r\n" +
                                    EnglishListingRow("\\c", c.nextRuns[2], TunerCommand("Evening", "12", 60)) +
                                    "\r\n" + EnglishListingRow("\\d", c.nextRuns[3], TunerCommand("Odd", "21", 30)) +
                                    "\r\n";
        const RunResult result = ImportAsForetold(reserve + L"\\", listing);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(
            Files(reserve),
            (std::map<std::string, std::string>{
                {"20090301210121.tvpi", TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "Night")},
                {"20090302123108.tvpi", TvpiFile("ソフト放送", "2009", "03", "02", "12:31", "13:15", "Noon")},
                {"20090314190012.tvpi", TvpiFile("表示テレビ", "2009", "03", "14", "19:00", "19:59", "Evening")}}));
        EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始",
                                                          "次回実行日時を読み取れないため取り込みません: \"Odd\" , \"" +
                                                              std::string{c.nextRuns[3]} + "\"",
                                                          "Quellix終了"}));
        ::DeleteFileW((root / L"pex.log").c_str());
    }
}

TEST_F(StandInHarvestTest, ATableThatCannotBeOpenedEndsTheHarvestRightAfterItsStartLine) {
    // Held open by another program that lets nobody else in, longer than any brief hold.
    const std::string table = ReadFileBytes(root / L"pexTVCHNo.csv");
    UniqueFileHandle held{
        ::CreateFileW((root / L"pexTVCHNo.csv").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);
    const RunResult result = Import(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("N", "21", 30))}));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    held.reset();
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    const auto start = std::find(lines.begin(), lines.end(), "Quellix開始");
    ASSERT_NE(start, lines.end());
    ASSERT_NE(start + 1, lines.end());
    const std::string& error = *(start + 1);
    EXPECT_TRUE(error.starts_with("pex.log: テーブルファイル[") && error.ends_with(" (C.ERROR)")) << error;
    EXPECT_NE(error.find("pexTVCHNo.csv"), std::string::npos) << error;
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Quellix終了"), lines.end());
    EXPECT_TRUE(ListDir(reserve).empty());
    // Never read as empty nor saved over.
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.csv"), table);
    EXPECT_FALSE(FileExists(root / L"pexTVCHNo.old"));
    EXPECT_FALSE(FileExists(root / L"pexTVCHNo.$$$"));
}

// pex.log is the host's log too; a host that keeps it open for appending while the plug-in runs,
// letting others read and write it, gets every line of the run, whole, between its own.
TEST_F(StandInHarvestTest, ALogTheHostHoldsOpenForAppendingReceivesEveryLine) {
    UniqueFileHandle host{::CreateFileW((root / L"pex.log").c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr)};
    ASSERT_TRUE(host);
    const auto hostLine = [&host](const std::string& line) {
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(host.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
    };
    hostLine("host before\r\n");
    const RunResult result = Import(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("N", "33", 30))}));
    ASSERT_TRUE(result.finished);
    hostLine("host after\r\n");
    host.reset();
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    ASSERT_EQ(lines.size(), 9U) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], "host before");
    EXPECT_TRUE(lines[1].starts_with("--- START ---\t")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("Version ")) << lines[2];
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 7),
              (std::vector<std::string>{"Quellix", "Quellix開始", "チャンネルエラー: \"GigaPocket\" , \"33\"",
                                        "Quellix終了"}));
    EXPECT_TRUE(lines[7].starts_with("--- END ---\t")) << lines[7];
    EXPECT_EQ(lines[8], "host after");
}

// A scanner or an indexer opens a table file the moment it is written and lets go a moment later:
// the save that meets it waits it out. Here the file is held, others allowed to read it but not to
// replace it, from before the start until 300 ms after the first table of the channel import was
// saved (tvconvert.csv, missing), so the save of this one (a row added) meets it.
TEST_F(StandInHarvestTest, ATableFileHeldForAMomentDuringASaveIsSavedOnceReleased) {
    DeleteRegistryTree(L"Software\\BUFFALO INC.");
    WriteFileBytes(root / L"pex.ini", "[TFormPdigi]\r\nPdigiDir_Text=" + SjisFromWide(root.Path()) + "\\\r\n");
    WriteFileBytes(root / L"00_ChFile.txt", "[Station]\r\n9=New,0x7FE0,1\r\n[End_Station]\r\n");
    ASSERT_TRUE(::DeleteFileW((root / L"tvconvert.csv").c_str()));
    const std::string table = ReadFileBytes(root / L"pexTVCHNo.csv");
    UniqueFileHandle held{::CreateFileW((root / L"pexTVCHNo.csv").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);
    WriteFileBytes(root / L"listing.csv",
                   Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("N", "21", 30))}));
    const ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
    PROCESS_INFORMATION process = StartQuellix({reserve});
    EXPECT_TRUE(WaitUntil([&] { return FileExists(root / L"tvconvert.csv"); }));
    ::Sleep(300);
    held.reset();
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    EXPECT_FALSE(
        std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.ends_with("(C.ERROR)"); }));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    EXPECT_EQ(ListDir(reserve), std::vector<std::wstring>{L"20090301210121.tvpi"});
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.csv"), table + "\"GigaPocket\",\"New\",\"9\",\r\n");
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.old"), table); // saved once
}

// An empty table file whose backup another program holds all along: the table opens empty, a
// notice says so, and the run goes on, for tvchdata.csv which the harvest never reads as for any.
TEST_F(StandInHarvestTest, AnEmptyTableWhoseBackupCannotBeReadOpensEmptyAndTheRunGoesOn) {
    const std::string backup = ReadFileBytes(root / L"tvchdata.csv");
    WriteFileBytes(root / L"tvchdata.csv", "");
    WriteFileBytes(root / L"tvchdata.old", backup);
    UniqueFileHandle held{
        ::CreateFileW((root / L"tvchdata.old").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);
    const RunResult result = Import(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("N", "21", 30))}));
    ASSERT_TRUE(result.finished);
    held.reset();
    EXPECT_EQ(ListDir(reserve), std::vector<std::wstring>{L"20090301210121.tvpi"});
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    EXPECT_EQ(ReadFileBytes(root / L"tvchdata.old"), backup);
    EXPECT_EQ(ReadFileBytes(root / L"tvchdata.csv"), "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n");
    const std::string dir = SjisFromWide(root.Path()) + "\\";
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    const std::string notice = "テーブルファイル[" + dir + "tvchdata.csv]が空ですが[" + dir +
                               "tvchdata.old]を読み込めないため空のまま開きます: ";
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(notice); }),
        1);
    EXPECT_FALSE(
        std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.ends_with("(C.ERROR)"); }));
}

TEST_F(StandInHarvestTest, TableRecoveryKeepsTheBackupOfAnEmptyFileAndSetsAnUnusedTemporaryAside) {
    // An empty table file (another program emptied it) beside a backup that holds the rows, and a
    // missing table file beside a temporary that is not a whole table.
    const std::string rows = ReadFileBytes(root / L"pexTVCHNo.csv");
    WriteFileBytes(root / L"pexTVCHNo.csv", "");
    WriteFileBytes(root / L"pexTVCHNo.old", rows);
    ASSERT_TRUE(::DeleteFileW((root / L"tvchdata.csv").c_str()));
    const std::string cut = "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n\"局A\",\"2";
    WriteFileBytes(root / L"tvchdata.$$$", cut);
    const RunResult result = Import(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("N", "21", 30))}));
    ASSERT_TRUE(result.finished);

    EXPECT_EQ(ListDir(reserve), std::vector<std::wstring>{L"20090301210121.tvpi"}); // TV Alpha from the backup
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.old"), rows);
    std::vector<std::wstring> aside;
    for (const std::wstring& name : ListDir(root.Path())) {
        if (name.starts_with(L"tvchdata.") && name.ends_with(L".$$$") && name != L"tvchdata.$$$") {
            aside.push_back(name);
        }
    }
    ASSERT_EQ(aside.size(), 1U);
    EXPECT_EQ(ReadFileBytes(root / aside[0]), cut);
    // One plain line for each, before the harvest.
    const std::string dir = SjisFromWide(root.Path()) + "\\";
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    const auto logged = [&lines](const std::string& line) { return std::count(lines.begin(), lines.end(), line); };
    EXPECT_EQ(logged("テーブルファイル[" + dir + "pexTVCHNo.csv]が空のため[" + dir + "pexTVCHNo.old]から復元しました"),
              1);
    EXPECT_EQ(logged("一時ファイル[" + dir + "tvchdata.$$$]は復元に使わず[" + dir + SjisFromWide(aside[0]) +
                     "]に退避しました"),
              1);
}

} // namespace
} // namespace quellix::e2e
