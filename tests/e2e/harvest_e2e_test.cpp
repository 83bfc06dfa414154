// The real quellix.exe doing a whole import: the Task Scheduler's listing comes from a stand-in
// tool put in place of the system's schtasks.exe, the channel numbers from pexTVCHNo.csv in the
// host's root directory, and the test compares the .tvpi files and log lines it leaves.
#include "tests/e2e/harvest_e2e_fixture.h"

#include "app/csv_line.h"
#include "support/cp932_win.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

namespace quellix::e2e {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::Quotes;
using testing::TunerCommand;

TEST_F(StandInHarvestTest, WritesExactlyTheExpectedFilesAndLogLines) {
    WriteFileBytes(reserve + L"\\20090101000021.tvpi", "from the previous run");
    const std::string exe = "\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" ";
    const std::string listing = Listing({
        "",
        ListingHeader(),
        ListingRow("\\PCastDigi_1", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
        ListingRow("\\Backup", "2009/03/02 3:00:00", "C:\\Tools\\backup.exe /all"),
        ListingRow("\\PCastDigi_2", "2009/03/02 9:05:00", TunerCommand("表示ソフト", "8", 55), Quotes::AsIs),
        ListingRow("\\PCastDigi_3", "2009/03/03 20:00:00", TunerCommand("Unknown", "33", 30)),
        ListingRow("\\PCastDigi_4", "N/A", TunerCommand("Finished", "21", 30)),
        ListingRow("\\PCastDigi_5", "2009/03/04 23:30:00", TunerCommand("Late", "123", 60)),
        "",
        ListingHeader(),
        ListingRow("\\Microsoft\\Windows\\Defrag", "2009/03/07 1:00:00", "%windir%\\system32\\defrag.exe -c"),
        ListingRow("\\Microsoft\\Windows\\Defrag", "2009/03/08 1:00:00", "%windir%\\system32\\defrag.exe -c"),
        "",
        ListingHeader(),
        // Older systems put the time first; the tuner's quotes doubled only in the arguments.
        ListingRow("\\Tuner\\PCastDigi_6", "21:00:00, 2009/03/05",
                   "C:\\PROGRA~1\\BUFFALO\\PCastDigi\\PcastDigi.exe /t \"\"Doubled\"\",\"\"x\"\" /ch 5 /time 15 "
                   "/powerman",
                   Quotes::AsIs),
        ListingRow("\\Tuner\\PCastDigi_7", "2009/03/06 19:00:00",
                   exe + "/T \"ＮＨＫ\",\"x\" /CH 21 /TIME 45 /POWERMAN"),
    });
    const RunResult result = ImportAsForetold(reserve + L"\\", listing);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);

    std::map<std::string, std::string> expected;
    expected["20090301210121.tvpi"] = TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "News");
    expected["20090302090608.tvpi"] = TvpiFile("ソフト放送", "2009", "03", "02", "09:06", "10:00", "表示ソフト");
    expected["20090304233112.tvpi"] = TvpiFile("表示テレビ", "2009", "03", "04", "23:31", "00:30", "Late");
    expected["20090306190121.tvpi"] = TvpiFile("TV Alpha", "2009", "03", "06", "19:01", "19:45", "ＮＨＫ");
    EXPECT_EQ(Files(reserve), expected);
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "チャンネルエラー: \"GigaPocket\" , \"33\"",
                                                      "次回実行日時がないため取り込みません: \"Finished\"",
                                                      "チャンネルエラー: \"GigaPocket\" , \"5\"", "Quellix終了"}));
    // The listing came through the work file, byte for byte.
    EXPECT_EQ(ReadFileBytes(temp + L"\\task.csv"), listing);
    // The tables were read; no row changed, so each file is as it was (in another program's form
    // too), with no backup.
    const auto files = Files(root.Path());
    for (const char* name : {"tvconvert", "pexTVCHNo", "tvchdata"}) {
        EXPECT_EQ(files.count(std::string{name} + ".old"), 0U) << name;
    }
    EXPECT_EQ(files.at("tvconvert.csv"), "\"元のTV局名\",\"新しいTV局名\"\n\"局A\",\"局B\"\n");
    EXPECT_EQ(files.at("tvchdata.csv"), "\"TVChannel\",\"TVChannelNo\",\"TVURL\"\n\"局A\",\"21\",\"\"\n");
    EXPECT_NE(files.at("pexTVCHNo.csv").find("\"録画ソ\",\"Deck Station\",\"21\",\r\n"), std::string::npos);
}

// A temporary directory whose name code page 932 cannot hold, as under a user named with é or 𠮷:
// the work file goes there by the directory's short name, and the reservations are written.
TEST_F(StandInHarvestTest, ATemporaryDirectoryOutsideCodePage932IsTakenByItsShortName) {
    const std::wstring odd = root / L"temp-caf\u00e9-\U00020BB7";
    ASSERT_TRUE(::CreateDirectoryW(odd.c_str(), nullptr));
    const ScopedEnvironment oddTemp{L"TEMP", odd};
    const ScopedEnvironment oddTmp{L"TMP", odd};
    const std::string listing =
        Listing({ListingHeader(), ListingRow("\\PCastDigi_1", "2009/03/01 21:00:00", TunerCommand("News", "21", 30))});
    ASSERT_TRUE(Import(reserve, listing).finished);
    EXPECT_EQ(Files(reserve),
              (std::map<std::string, std::string>{
                  {"20090301210121.tvpi", TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "News")}}));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    EXPECT_EQ(ReadFileBytes(odd + L"\\task.csv"), listing);
}

TEST_F(StandInHarvestTest, StartsTheSystemsToolByItsFullPath) {
    const ScopedEnvironment record{L"QUELLIX_SCHTASKS_COMMAND_FILE", root / L"command.txt"};
    // quellix.exe's own folder holds a schtasks.exe too (the stand-in is built there), which a bare
    // name would find first.
    ASSERT_TRUE(Import(reserve, Listing({ListingHeader()})).finished);
    const std::string commandLine = ReadFileBytes(root / L"command.txt");
    std::wstring expected = L"\"" + SystemDirectory() + L"\\schtasks.exe\" /query /fo csv /v";
    std::string utf8(expected.size() * 3 + 1, '\0');
    utf8.resize(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, expected.c_str(), static_cast<int>(expected.size()),
                                                       utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    EXPECT_EQ(commandLine, utf8);
}

TEST_F(StandInHarvestTest, TwoTasksWithTheSameStartAndChannelLeaveTheLaterOne) {
    const RunResult result = ImportAsForetold(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("First", "21", 30)),
                          ListingRow("\\b", "2009/03/01 21:00:00", TunerCommand("Second", "21", 60))}));
    ASSERT_TRUE(result.finished);
    const auto files = Files(reserve);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files.begin()->second, TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "22:00", "Second"));
}

TEST_F(StandInHarvestTest, AFileThatCannotBeCreatedIsLoggedAndTheOthersAreWritten) {
    // The names are taken: one by a folder, one by a file held open without sharing all along.
    ASSERT_TRUE(::CreateDirectoryW((reserve + L"\\20090301210121.tvpi").c_str(), nullptr));
    WriteFileBytes(reserve + L"\\20090302210108.tvpi", "held");
    UniqueFileHandle held{::CreateFileW((reserve + L"\\20090302210108.tvpi").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);
    const RunResult result = Import(
        reserve, Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                          ListingRow("\\b", "2009/03/02 21:00:00", TunerCommand("More", "8", 30)),
                          ListingRow("\\c", "2009/03/03 21:00:00", TunerCommand("Last", "12", 30))}));
    ASSERT_TRUE(result.finished);
    held.reset();
    const std::vector<std::string> lines = HarvestLog();
    ASSERT_EQ(lines.size(), 4U);
    const std::string dir = SjisFromWide(reserve) + "\\";
    for (const auto& [line, name] : {std::pair{lines[1], "20090301210121.tvpi"}, {lines[2], "20090302210108.tvpi"}}) {
        // The system's reason follows, with its code.
        EXPECT_TRUE(line.starts_with("pex.log: 予約ファイル[" + dir + name + "]を作成できないため取り込みません: ") &&
                    line.ends_with(") (C.ERROR)"))
            << line;
    }
    EXPECT_EQ(ReadFileBytes(reserve + L"\\20090302210108.tvpi"), "held");
    EXPECT_EQ(ReadFileBytes(reserve + L"\\20090303210112.tvpi"),
              TvpiFile("表示テレビ", "2009", "03", "03", "21:01", "21:30", "Last"));
    EXPECT_EQ(ListDir(reserve),
              (std::vector<std::wstring>{L"20090301210121.tvpi", L"20090302210108.tvpi", L"20090303210112.tvpi"}));
}

TEST_F(StandInHarvestTest, AReserveDirectoryEndingInA5CTrailByteGivesItsDeckName) {
    const std::wstring deck = root / L"reserve\\録画ソ";
    ASSERT_TRUE(::CreateDirectoryW(deck.c_str(), nullptr));
    const RunResult result = ImportAsForetold(
        deck + L"\\",
        Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("表", "21", 30))}));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(Files(deck),
              (std::map<std::string, std::string>{
                  {"20090301210121.tvpi", TvpiFile("Deck Station", "2009", "03", "01", "21:01", "21:30", "表")}}));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

TEST_F(StandInHarvestTest, StopWhileTheListingIsCapturedEndsBeforeTheFirstLine) {
    const ScopedEnvironment slow{L"QUELLIX_SCHTASKS_DELAY_MS", L"3000"};
    const ScopedEnvironment record{L"QUELLIX_SCHTASKS_COMMAND_FILE", root / L"command.txt"};
    WriteFileBytes(root / L"listing.csv", Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00",
                                                                               TunerCommand("News", "21", 30))}));
    const ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
    PROCESS_INFORMATION process = StartQuellix({reserve});
    const HWND window = WaitForMainWindow(process.dwProcessId);
    ASSERT_NE(window, nullptr);
    // The stand-in records its command line as it starts; it then takes three seconds.
    ASSERT_TRUE(WaitUntil([&] { return FileExists(root / L"command.txt"); }));
    ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_TRUE(ListDir(reserve).empty());
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "停止ボタン押下", "Quellix終了"}));
    // The stop ended the tool at once: what it printed is no listing, so no work file was written.
    EXPECT_FALSE(FileExists(temp + L"\\task.csv"));
}

// The whole road of a reservation: the tuner's channel file, read at the start of the run, gives
// the rows through which the harvest of the same run finds the station of every channel.
TEST_F(StandInHarvestTest, EveryStationOfTheChannelFileIsFoundByTheHarvestThatFollows) {
    const std::wstring tunerKey = L"Software\\BUFFALO INC.";
    struct TunerRegistry { // the test prefix has no tuner software: the tree is the test's own
        std::wstring key;
        ~TunerRegistry() { DeleteRegistryTree(key); }
    } registry{tunerKey};
    DeleteRegistryTree(tunerKey);
    const std::wstring tuner = root / L"tuner";
    ASSERT_TRUE(::CreateDirectoryW(tuner.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((tuner + L"\\channels").c_str(), nullptr));
    SetRegistryString(tunerKey + L"\\PCastTVDigital\\PCastDigi", L"Dir", tuner);
    SetRegistryDword(tunerKey + L"\\PCastTVDigital\\AppCfg", L"LocationIdx", 13);
    // Station names with 0x5C trail bytes (ソ, 表, 能), one of them renamed on the way.
    WriteFileBytes(tuner + L"\\channels\\13_ChFile.txt", "[Area]\r\nName=Tokyo\r\n[Station]\r\n"
                                                         "21=ＮＨＫ総合,0x0400,1\r\n"
                                                         "8 = ソフト局 ,0x0408,1\r\n"
                                                         "12=能楽表示テレビ,0x040C,1\r\n"
                                                         "5=旧局名,0x0405,1\r\n"
                                                         "[End_Station]\r\n");
    WriteFileBytes(root / L"tvconvert.csv", "\"元のTV局名\",\"新しいTV局名\",\r\n\"旧局名\",\"新局名ソ\",\r\n");
    const std::wstring deck = root / L"reserve\\Deck表";
    ASSERT_TRUE(::CreateDirectoryW(deck.c_str(), nullptr));

    const RunResult result = ImportAsForetold(
        deck + L"\\",
        Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                 ListingRow("\\b", "2009/03/01 22:00:00", TunerCommand("表示", "8", 30)),
                 ListingRow("\\c", "2009/03/01 23:00:00", TunerCommand("能", "12", 30)),
                 ListingRow("\\d", "2009/03/02 0:00:00", TunerCommand("ソ", "5", 30)),
                 ListingRow("\\e", "2009/03/02 1:00:00", TunerCommand("None", "99", 30))}));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(Files(deck),
              (std::map<std::string, std::string>{
                  {"20090301210121.tvpi", TvpiFile("ＮＨＫ総合", "2009", "03", "01", "21:01", "21:30", "News")},
                  {"20090301220108.tvpi", TvpiFile("ソフト局", "2009", "03", "01", "22:01", "22:30", "表示")},
                  {"20090301230112.tvpi", TvpiFile("能楽表示テレビ", "2009", "03", "01", "23:01", "23:30", "能")},
                  {"20090302000105.tvpi", TvpiFile("新局名ソ", "2009", "03", "02", "00:01", "00:30", "ソ")}}));
    EXPECT_EQ(HarvestLog(),
              (std::vector<std::string>{"Quellix開始", "チャンネルエラー: \"Deck表\" , \"99\"", "Quellix終了"}));
    // The rows of the other decks stay as they were, the new ones follow them.
    const std::string table = ReadFileBytes(root / L"pexTVCHNo.csv");
    EXPECT_NE(table.find("\"GigaPocket\",\"TV Alpha\",\"21\",\r\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\"Deck表\",\"ＮＨＫ総合\",\"21\",\r\n\"Deck表\",\"ソフト局\",\"8\",\r\n"
                         "\"Deck表\",\"能楽表示テレビ\",\"12\",\r\n\"Deck表\",\"新局名ソ\",\"5\",\r\n"),
              std::string::npos)
        << table;
}

// A Task Scheduler tool that fails (service stopped, access denied, a corrupt task) leaves the
// host the last good reservations, and the log says what the tool said; its note that there are
// no tasks empties the directory, as cancelled reservations must go.
TEST_F(StandInHarvestTest, AFailingTaskSchedulerKeepsTheLastGoodReservationsAndSaysSo) {
    const std::string failed =
        "pex.log: タスク "
        "スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は取り込みません: ";
    const std::string task = ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30));
    const struct {
        const char* what;
        const wchar_t* error;               // printed to the standard error, nullptr: nothing
        const wchar_t* exitCode;            // nullptr: 0
        std::optional<std::string> listing; // printed to the standard output, nullopt: the no-tasks note
        std::string line;                   // the error line, "": none
    } cases[] = {
        {"access denied", L"ERROR: Access is denied.", L"1", "",
         failed + "\"ERROR: Access is denied.\" (終了コード 1) (C.ERROR)"},
        {"part of a listing, then a corrupt task", L"ERROR: The task image is corrupt or has been tampered with.", L"1",
         Listing({ListingHeader(), task}),
         failed + "\"ERROR: The task image is corrupt or has been tampered with.\" (終了コード 1) (C.ERROR)"},
        {"an error text alone", nullptr, nullptr, "ERROR: The service is not running.\r\n",
         failed + "\"ERROR: The service is not running.\" (終了コード 0) (C.ERROR)"},
        {"nothing printed at all", nullptr, nullptr, "", failed + "\"\" (終了コード 0) (C.ERROR)"},
        {"no tasks", nullptr, nullptr, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW((root / L"pex.log").c_str());
        WriteFileBytes(reserve + L"\\20090101000021.tvpi", "from the last good run");
        std::optional<ScopedEnvironment> error;
        std::optional<ScopedEnvironment> exitCode;
        std::optional<ScopedEnvironment> listingFile;
        if (c.error != nullptr) {
            error.emplace(L"QUELLIX_SCHTASKS_ERROR", c.error);
        }
        if (c.exitCode != nullptr) {
            exitCode.emplace(L"QUELLIX_SCHTASKS_EXIT_CODE", c.exitCode);
        }
        if (c.listing) {
            WriteFileBytes(root / L"listing.csv", *c.listing);
            listingFile.emplace(L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv");
        }
        const RunResult result = RunQuellix({reserve});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
        if (c.line.empty()) {
            EXPECT_TRUE(ListDir(reserve).empty());
            EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
        } else {
            EXPECT_EQ(Files(reserve),
                      (std::map<std::string, std::string>{{"20090101000021.tvpi", "from the last good run"}}));
            EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", c.line, "Quellix終了"}));
        }
    }
}

// Only the tuner's own switches and tasks book a recording: a title naming a switch keeps its
// task's channel and end, another program's task whose comment names the recorder (its quotes
// printed as they are, which shifts the columns) books nothing, and the recorder's name counts
// in any letter case, as Windows finds the program.
TEST_F(StandInHarvestTest, OnlyTheTunersOwnSwitchesAndTasksBook) {
    // The tool prints a backup tool's command line and start folder with their quotes as they are:
    // the closing quotes run into the next columns, so the splitter takes the start folder and the
    // comment into the command line's column.
    std::vector<std::string> backup;
    SplitCsvLine(ListingRow("\\Backup", "2009/03/02 3:00:00", "C:\\Tools\\backup.exe \"D:\\TV\""), backup);
    backup[9] = "\"D:\\TV\"";
    backup[10] = "copies PcastDigi.exe /ch 21 recordings";
    const RunResult result = ImportAsForetold(
        reserve,
        Listing(
            {ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("MUSIC/CH 8 LIVE", "21", 30)),
             ListingRow("\\b", "2009/03/02 21:00:00", TunerCommand("SHOW/TIME 90 /POWERMAN", "8", 30), Quotes::AsIs),
             testing::QuotedFields({backup.begin(), backup.end()}, Quotes::AsIs),
             ListingRow("\\c", "2009/03/03 21:00:00", TunerCommand("Upper", "12", 45, "PCASTDIGI.EXE"))}));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(
        Files(reserve),
        (std::map<std::string, std::string>{
            {"20090301210121.tvpi", TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "MUSIC/CH 8 LIVE")},
            {"20090302210108.tvpi",
             TvpiFile("ソフト放送", "2009", "03", "02", "21:01", "21:30", "SHOW/TIME 90 /POWERMAN")},
            {"20090303210112.tvpi", TvpiFile("表示テレビ", "2009", "03", "03", "21:01", "21:45", "Upper")}}));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

class MissingToolHarvestTest : public HarvestTest {
protected:
    SystemSchtasks schtasks{SystemSchtasks::Kind::Missing};
};

TEST_F(MissingToolHarvestTest, ATaskSchedulerToolThatCannotStartLogsTheWorkFileError) {
    const RunResult result = RunQuellix({reserve});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{
                                "Quellix開始", "pex.log: ワークファイル[" + WorkFile() + "]を作成できません. (C.ERROR)",
                                "Quellix終了"}));
    EXPECT_FALSE(FileExists(temp + L"\\task.csv"));

    // A work file left by an earlier harvest is never read as today's listing: a reservation
    // cancelled since would come back.
    WriteFileBytes(temp + L"\\task.csv",
                   Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("Old", "21", 30))}));
    ::DeleteFileW((root / L"pex.log").c_str());
    ASSERT_TRUE(RunQuellix({reserve}).finished);
    EXPECT_TRUE(ListDir(reserve).empty());
    EXPECT_FALSE(FileExists(temp + L"\\task.csv"));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{
                                "Quellix開始", "pex.log: ワークファイル[" + WorkFile() + "]を作成できません. (C.ERROR)",
                                "Quellix終了"}));
}

} // namespace
} // namespace quellix::e2e
