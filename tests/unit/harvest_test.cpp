#include "app/harvest.h"

#include "app/check_watch.h"

#include "app/reservation.h"
#include "channels/channel_tables.h"
#include "support/errors.h"
#include "support/text.h"
#include "tests/shared/task_listing_rows.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace quellix {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::Quotes;
using testing::TunerCommand;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

std::string Listing(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += testing::kListingLineEnd;
    }
    return out;
}

// A host root with the three table files, a reserve directory, a log, and a listing that the
// stand-in capture writes into the work file.
class HarvestTest : public ::testing::Test {
protected:
    HarvestTest() {
        std::filesystem::create_directories(folder.Native("reserve/GigaPocket"));
        WriteAll(folder.Native("pexTVCHNo.csv"), "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n"
                                                 "\"GigaPocket\",\"TV Alpha\",\"21\",\r\n"
                                                 "\"GigaPocket\",\"ソフト放送\",\"8\",\r\n"
                                                 "\"GigaPocket\",\"Three\",\"12\",\r\n"
                                                 "\"\",\"No Deck\",\"21\",\r\n"
                                                 "\"Other\",\"Elsewhere\",\"05\",\r\n");
        WriteAll(folder.Native("tvconvert.csv"), "\"元のTV局名\",\"新しいTV局名\",\r\n\"a\",\"b\",\r\n");
        log.SetLogFileName(folder.File("pex.log"));
        log.SetActive(true);
        setup.DeckName = "GigaPocket";
        setup.ReserveDir = folder.File("reserve\\GigaPocket\\");
        setup.WorkFile = folder.File("task.csv");
        setup.CaptureListing = [this](const std::string& workFile) {
            ++captures;
            if (!listing) {
                return FileCapture{}; // the tool could not be started
            }
            WriteAll(Native(workFile), *listing);
            return FileCapture{CaptureStatus::Captured, toolEnd, 0};
        };
        run.PumpMessages = [this] { ++pumps; };
    }

    std::string Native(const std::string& programPath) const {
        std::string path = programPath;
        for (char& c : path) {
            if (c == '\\') {
                c = '/';
            }
        }
        return path;
    }

    void Harvest() { HarvestReservations(setup, {tableTV, tableTVChNo, tableTVChData}, run, log); }

    // The log's lines after its start record and version line.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string bytes = ReadAll(folder.Native("pex.log"));
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", at);
            lines.push_back(bytes.substr(at, end - at));
            at = end + 2;
        }
        return {lines.begin() + 2, lines.end()};
    }

    std::map<std::string, std::string> ReserveFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Native("reserve/GigaPocket"))) {
            files[entry.path().filename().string()] = ReadAll(entry.path().string());
        }
        return files;
    }

    static TReservation Expected(std::string station, DateTime start, int minutes, std::string title) {
        TReservation r;
        r.Station = std::move(station);
        r.StartTime = start + kOneMinute;
        r.EndTime = start + minutes * kOneMinute;
        r.Title = std::move(title);
        return r;
    }

    static DateTime At(int year, int month, int day, int hour, int minute) {
        return *TryEncodeDate(year, month, day) + *TryEncodeTime(hour, minute, 0);
    }

    TempDir folder;
    TCsvTable tableTV = CreateTableTV(folder.File("tvconvert.csv"));
    TCsvTable tableTVChNo = CreateTableTVChNo(folder.File("pexTVCHNo.csv"));
    TCsvTable tableTVChData = CreateTableTVChData(folder.File("tvchdata.csv"));
    TLogFile log;
    TRunControl run;
    HarvestSetup setup;
    std::optional<std::string> listing;
    CommandEnd toolEnd; // how the tool ended
    int captures = 0;
    int pumps = 0;
};

TEST_F(HarvestTest, WritesOneFilePerKnownChannelAndLogsTheUnknownOnes) {
    listing = Listing({
        "",
        ListingHeader(),
        ListingRow("\\PCastTV_1", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
        ListingRow("\\Backup", "2009/03/01 03:00:00", "C:\\Tools\\backup.exe /all"),
        ListingRow("\\PCastTV_2", "2009/03/02 9:05:00", TunerCommand("表示ソフト", "8", 55), Quotes::AsIs),
        ListingRow("\\PCastTV_3", "2009/03/01 23:59:00", TunerCommand("Late", "123", 60)),
        ListingRow("\\PCastTV_4", "2009/03/03 20:00:00", TunerCommand("Unknown", "33", 30)),
        ListingRow("\\PCastTV_5", "N/A", TunerCommand("Done", "21", 30)),
        ListingRow("\\PCastTV_5b", "2009/02/30 21:00:00", TunerCommand("No Such Day", "21", 30)),
        ListingRow("\\PCastTV_6", "2009/03/03 21:00:00", TunerCommand("Lower", "21", 30, "pcastdigi.exe")),
        "",
        ListingHeader(),
        ListingRow("\\Folder\\PCastTV_7", "21:00:00, 2009/03/04", TunerCommand("Elsewhere", "05", 30)),
    });
    Harvest();

    std::map<std::string, std::string> expected;
    expected["20090301210121.tvpi"] = FormatReservationFile(Expected("TV Alpha", At(2009, 3, 1, 21, 0), 30, "News"));
    expected["20090302090608.tvpi"] =
        FormatReservationFile(Expected("ソフト放送", At(2009, 3, 2, 9, 5), 55, "表示ソフト"));
    expected["20090302000012.tvpi"] = FormatReservationFile(Expected("Three", At(2009, 3, 1, 23, 59), 60, "Late"));
    // Windows finds the program in any letter case, and so does the tuner's own task.
    expected["20090303210121.tvpi"] = FormatReservationFile(Expected("TV Alpha", At(2009, 3, 3, 21, 0), 30, "Lower"));
    EXPECT_EQ(ReserveFiles(), expected);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Quellix開始", "チャンネルエラー: \"GigaPocket\" , \"33\"",
                              "次回実行日時がないため取り込みません: \"Done\"",
                              "次回実行日時を読み取れないため取り込みません: \"No Such Day\" , \"2009/02/30 21:00:00\"",
                              "チャンネルエラー: \"GigaPocket\" , \"05\"", "Quellix終了"}));
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(pumps, 13); // every line, the blank ones too
    // The tables were closed; the harvest changes no row, so none was written again.
    for (const char* name : {"tvconvert", "pexTVCHNo", "tvchdata"}) {
        EXPECT_TRUE(std::filesystem::exists(folder.Native(std::string{name} + ".csv"))) << name;
        EXPECT_FALSE(std::filesystem::exists(folder.Native(std::string{name} + ".old"))) << name;
        EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
    }
}

// The check's harvest: nothing written, removed or logged, and what it says of every task is what
// the import run then does and logs.
TEST_F(HarvestTest, ADryHarvestChangesNothingAndForetellsTheRunsFilesAndLines) {
    listing = Listing({
        ListingHeader(),
        ListingRow("\\PCastTV_1", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
        ListingRow("\\Copy", "2009/03/01 03:00:00", "C:\\Tools\\copy.exe C:\\PCast\\PcastDigi.exe D:\\"),
        ListingRow("\\PCastTV_2", "2009/03/02 9:05:00", TunerCommand("表示ソフト", "8", 55), Quotes::AsIs),
        ListingRow("\\PCastTV_4", "2009/03/03 20:00:00", TunerCommand("Unknown", "33", 30)),
        ListingRow("\\PCastTV_5", "N/A", TunerCommand("Done", "21", 30)),
        ListingRow("\\PCastTV_5b", "2009/02/30 21:00:00", TunerCommand("No Such Day", "21", 30)),
        "",
        ListingHeader(),
        ListingRow("\\Folder\\PCastTV_7", "2009/03/04 21:00:00", TunerCommand("Elsewhere", "12", 30)),
    });
    WriteAll(folder.Native("reserve/GigaPocket/200001010000.tvpi"), "old");
    const std::map<std::string, std::string> before = ReserveFiles();
    const std::string logBefore = ReadAll(folder.Native("pex.log"));

    CheckFacts facts;
    CheckWatch watch{facts};
    setup.Dry = true;
    setup.Watch = &watch;
    TLogFile dryLog;
    std::vector<std::string> dryLines;
    dryLog.RedirectTo([&](std::string_view text, bool) { dryLines.emplace_back(text); });
    HarvestReservations(setup, {tableTV, tableTVChNo, tableTVChData}, run, dryLog);
    EXPECT_EQ(ReserveFiles(), before);
    EXPECT_EQ(ReadAll(folder.Native("pex.log")), logBefore);
    EXPECT_TRUE(facts.ToolStarted && facts.Listed);
    EXPECT_EQ(facts.TaskCount, 7u);
    ASSERT_EQ(facts.Others.size(), 1u);
    EXPECT_EQ(facts.Others[0].TaskName, "\\Copy");
    EXPECT_EQ(facts.Others[0].Program, "copy.exe");
    ASSERT_EQ(facts.Tasks.size(), 6u);
    EXPECT_EQ(facts.Tasks[0].Start, "2009/03/01 21:01"); // the programme's start, a minute after the task's
    EXPECT_EQ(facts.Tasks[3].Start, "");                 // no next run

    setup.Dry = false;
    setup.Watch = nullptr;
    Harvest();
    std::vector<std::string> foretold{"Quellix開始"};
    std::set<std::string> names{"200001010000.tvpi"}; // the dry run never removed it; the real one does
    for (const CheckedTask& task : facts.Tasks) {
        if (task.Outcome == TaskOutcome::Written) {
            names.insert(ExtractFileName(task.FileName));
        } else {
            foretold.push_back(task.Reason);
        }
    }
    foretold.emplace_back("Quellix終了");
    names.erase("200001010000.tvpi");
    std::set<std::string> written;
    for (const auto& [name, bytes] : ReserveFiles()) {
        written.insert(name);
    }
    EXPECT_EQ(names, written);
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(LogLines(), foretold);
    EXPECT_EQ(dryLines, foretold);
}

TEST_F(HarvestTest, ReadsTheListingsOfEveryWindowsGenerationWhateverComesBeforeTheHeader) {
    using testing::Language;
    using testing::Layout;
    const struct {
        const char* what;
        Layout layout;
        Language language;
        std::string before; // lines before the header
    } cases[] = {
        {"Vista, English, INFO line first", Layout::Vista, Language::English,
         "INFO: There are no scheduled tasks presently available at your access level.\r\n"},
        {"Vista, Japanese, blank line first", Layout::Vista, Language::Japanese, "\r\n"},
        {"XP, English, error text first", Layout::Xp, Language::English, "ERROR: The system cannot find the file.\r\n"},
        {"XP, Japanese, information line first", Layout::Xp, Language::Japanese, "\r\n情報: タスクがありません。\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder.Native("reserve/GigaPocket"));
        std::filesystem::create_directories(folder.Native("reserve/GigaPocket"));
        const std::size_t logged = LogLines().size();
        const std::string nextRun = c.layout == Layout::Xp ? "21:00:00, 2009/03/01" : "2009/03/01 21:00:00";
        const std::string header = ListingHeader(c.layout, c.language);
        // The tool prints the header again before the tasks of every folder; the last line has no
        // line break.
        listing =
            c.before + header + "\r\n" + ListingRow(c.layout, "\\Backup", nextRun, "C:\\Tools\\backup.exe /all") +
            "\r\n" +
            ListingRow(c.layout, "\\PCastTV_1", nextRun, TunerCommand("\"Quoted\" News", "21", 30), Quotes::AsIs) +
            "\r\n" + ListingRow(c.layout, "\\PCastTV_2", "Disabled", TunerCommand("Off", "21", 30)) + "\r\n" +
            ListingRow(c.layout, "\\PCastTV_3", "無効", TunerCommand("Off", "8", 30)) + "\r\n\r\n" + header + "\r\n" +
            ListingRow(c.layout, "\\Folder\\PCastTV_4", nextRun, TunerCommand("Last", "8", 45));
        Harvest();
        EXPECT_EQ(ReserveFiles(),
                  (std::map<std::string, std::string>{
                      {"20090301210121.tvpi",
                       FormatReservationFile(Expected("TV Alpha", At(2009, 3, 1, 21, 0), 30, "\"Quoted\" News"))},
                      {"20090301210108.tvpi",
                       FormatReservationFile(Expected("ソフト放送", At(2009, 3, 1, 21, 0), 45, "Last"))}}));
        const std::vector<std::string> lines = LogLines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(logged), lines.end()),
                  (std::vector<std::string>{"Quellix開始", "次回実行日時がないため取り込みません: \"Off\"",
                                            "次回実行日時がないため取り込みません: \"Off\"", "Quellix終了"}));
    }
}

TEST_F(HarvestTest, TheEmptyDeckNameLooksUpTheRowsWithoutOne) {
    setup.DeckName = DeckNameFromArgument("\\");
    ASSERT_EQ(setup.DeckName, "");
    listing = Listing({ListingHeader(), ListingRow("\\t", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                       ListingRow("\\u", "2009/03/01 22:00:00", TunerCommand("News", "8", 30))});
    Harvest();
    const auto files = ReserveFiles();
    ASSERT_EQ(files.size(), 1U);
    EXPECT_NE(files.at("20090301210121.tvpi").find("\r\nstation: No Deck\r\n"), std::string::npos);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", "チャンネルエラー: \"\" , \"8\"", "Quellix終了"}));
}

TEST_F(HarvestTest, ATaskWithoutAStationIsLoggedAsAChannelError) {
    // A row without a channel number, which a look-up of the blank channel would find, and rows
    // whose station name is blank or only control bytes (a hand-edited table).
    WriteAll(folder.Native("pexTVCHNo.csv"), "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n"
                                             "\"GigaPocket\",\"No Number\",\"\",\r\n"
                                             "\"GigaPocket\",\"\",\"21\",\r\n"
                                             "\"GigaPocket\",\"%c%n\",\"8\",\r\n");
    const std::string exe = "\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" ";
    listing = Listing({ListingHeader(),
                       ListingRow("\\a", "2009/03/01 21:00:00", exe + "/t \"Blank\",\"x\" /ch    /time 30 /powerman "),
                       ListingRow("\\b", "2009/03/01 22:00:00", TunerCommand("Empty", "21", 30)),
                       ListingRow("\\c", "2009/03/01 23:00:00", TunerCommand("Breaks", "8", 30))});
    Harvest();
    EXPECT_TRUE(ReserveFiles().empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", "チャンネルエラー: \"GigaPocket\" , \"\"",
                                                    "チャンネルエラー: \"GigaPocket\" , \"21\"",
                                                    "チャンネルエラー: \"GigaPocket\" , \"8\"", "Quellix終了"}));
}

TEST_F(HarvestTest, TheLaterOfTwoTasksWithTheSameStartAndChannelStays) {
    listing = Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("First", "21", 30)),
                       ListingRow("\\b", "2009/03/01 21:00:00", TunerCommand("Second", "21", 45))});
    Harvest();
    const auto files = ReserveFiles();
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files.begin()->second, FormatReservationFile(Expected("TV Alpha", At(2009, 3, 1, 21, 0), 45, "Second")));
}

TEST_F(HarvestTest, AWorkFileThatWasNotMadeIsLoggedAndTheTablesAreStillSaved) {
    Harvest(); // the tool could not be started: nothing was written
    const std::string error = "pex.log: ワークファイル[" + setup.WorkFile + "]を作成できません. (C.ERROR)";
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", error, "Quellix終了"}));
    EXPECT_TRUE(std::filesystem::exists(folder.Native("tvchdata.csv")));
    EXPECT_TRUE(ReserveFiles().empty());

    // A work file left by an earlier harvest is never read as today's listing: reservations
    // cancelled since would come back.
    WriteAll(Native(setup.WorkFile),
             Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("Old", "21", 30))}));
    Harvest();
    EXPECT_TRUE(ReserveFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(Native(setup.WorkFile)));
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"Quellix開始", error, "Quellix終了", "Quellix開始", error, "Quellix終了"}));
}

TEST_F(HarvestTest, AWorkFileThatCannotBeWrittenEndsTheHarvestWithTheSystemsMessage) {
    setup.CaptureListing = [](const std::string&) { return FileCapture{CaptureStatus::FileNotWritten, {}, 5}; };
    try {
        Harvest();
        ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
        EXPECT_EQ(error.what(), setup.WorkFile + ": " + SystemErrorText(5)); // the error hook logs it
    }
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
}

// The previous run's files go only once a listing was read; a tool that failed keeps them and
// the log says what it said.
TEST_F(HarvestTest, TheLastGoodReservationsStayUntilAListingIsRead) {
    const std::string task = ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30));
    const std::string failed =
        "pex.log: タスク "
        "スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は取り込みません: ";
    const struct {
        const char* what;
        std::string output;
        CommandEnd end;
        bool removed;     // the previous run's file went
        bool written;     // the task's file was written
        std::string line; // the error line, "" for none
    } cases[] = {
        {"access denied",
         "",
         {1, "ERROR: Access is denied.\r\n"},
         false,
         false,
         failed + "\"ERROR: Access is denied.\" (終了コード 1) (C.ERROR)"},
        {"a part of a listing, then an error",
         Listing({ListingHeader(), task}),
         {1, "ERROR: The task image is corrupt\r\nor has been tampered with.\r\n"},
         false,
         false,
         failed + "\"ERROR: The task image is corrupt or has been tampered with.\" (終了コード 1) (C.ERROR)"},
        {"an error on the output, no exit code",
         "\r\nERROR: The service is not running.\r\n",
         {},
         false,
         false,
         failed + "\"ERROR: The service is not running.\" (終了コード 0) (C.ERROR)"},
        {"nothing printed at all", "", {}, false, false, failed + "\"\" (終了コード 0) (C.ERROR)"},
        {"a crash, nothing said",
         "\r\n",
         {0xC0000005, ""},
         false,
         false,
         failed + "\"\" (終了コード 3221225477) (C.ERROR)"},
        {"no tasks",
         "INFO: There are no scheduled tasks presently available at your access level.\r\n",
         {},
         true,
         false,
         ""},
        {"no tasks, Japanese", "\r\n情報: タスクがありません。\r\n", {}, true, false, ""},
        {"a listing", Listing({ListingHeader(), task}), {}, true, true, ""},
        {"a listing after an error text",
         "ERROR: The system cannot find the file.\r\n" + Listing({ListingHeader(), task}),
         {0, "ERROR: x"},
         true,
         true,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder.Native("pex.log"));
        log.SetActive(true);
        WriteAll(folder.Native("reserve/GigaPocket/20090101000021.tvpi"), "previous");
        listing = c.output;
        toolEnd = c.end;
        Harvest();
        const auto files = ReserveFiles();
        EXPECT_EQ(files.count("20090101000021.tvpi"), c.removed ? 0U : 1U);
        EXPECT_EQ(files.count("20090301210121.tvpi"), c.written ? 1U : 0U);
        std::vector<std::string> expected{"Quellix開始"};
        if (!c.line.empty()) {
            expected.push_back(c.line);
        }
        expected.push_back("Quellix終了");
        EXPECT_EQ(LogLines(), expected);
        std::filesystem::remove(folder.Native("reserve/GigaPocket/20090301210121.tvpi"));
    }
}

// A tool that the run ended wrote no listing: the last good reservations stay. Its stop has a
// line of its own already; its time limit gets one.
TEST_F(HarvestTest, AToolEndedByTheRunKeepsTheLastGoodReservations) {
    const struct {
        const char* what;
        CaptureStatus status;
        std::vector<std::string> log;
    } cases[] = {
        {"stopped", CaptureStatus::Stopped, {"Quellix開始", "Quellix終了"}},
        {"past its time limit",
         CaptureStatus::TimedOut,
         {"Quellix開始",
          "pex.log: タスク スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は"
          "取り込みません: タスク スケジューラのコマンドが 120 秒たっても終わらないため終了させました (C.ERROR)",
          "Quellix終了"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder.Native("pex.log"));
        log.SetActive(true);
        WriteAll(folder.Native("reserve/GigaPocket/20090101000021.tvpi"), "previous");
        setup.CaptureListing = [&](const std::string&) { return FileCapture{c.status, {1, ""}, 0}; };
        Harvest();
        EXPECT_EQ(ReserveFiles(), (std::map<std::string, std::string>{{"20090101000021.tvpi", "previous"}}));
        EXPECT_EQ(LogLines(), c.log);
    }
}

TEST_F(HarvestTest, ATemporaryDirectoryWithoutAUsableNameIsLoggedAndNothingIsCaptured) {
    listing = Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30))});
    setup.WorkFile.clear();
    setup.UnusableWorkDir = "C:\\Users\\Ren?\\AppData\\Local\\Temp\\";
    Harvest();
    EXPECT_EQ(captures, 0);
    EXPECT_TRUE(ReserveFiles().empty());
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"Quellix開始",
                                        "pex.log: 一時フォルダー[C:\\Users\\Ren?\\AppData\\Local\\Temp\\]"
                                        "は、名前に日本語版 Windows の文字コード (Shift_JIS) にない文字 (?) があるため"
                                        "使いません. タスクの一覧を読めないため予約は取り込みません (一時フォルダーは"
                                        "環境変数 TMP と TEMP で変えられます). (C.ERROR)",
                                        "Quellix終了"}));
    EXPECT_TRUE(std::filesystem::exists(folder.Native("tvchdata.csv")));
}

TEST_F(HarvestTest, AStopDuringTheCaptureEndsTheLoopBeforeTheFirstLine) {
    listing = Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30))});
    const auto capture = setup.CaptureListing;
    setup.CaptureListing = [&](const std::string& workFile) {
        const auto ended = capture(workFile);
        run.FStopRequested = true; // Stop pressed while the tool ran
        return ended;
    };
    Harvest();
    EXPECT_EQ(pumps, 0);
    EXPECT_TRUE(ReserveFiles().empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

TEST_F(HarvestTest, AReservationFileThatCannotBeCreatedIsLoggedAndTheNextIsWritten) {
    // The first task's name is taken by a directory.
    std::filesystem::create_directories(folder.Native("reserve/GigaPocket/20090301210121.tvpi"));
    listing = Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                       ListingRow("\\b", "2009/03/01 22:00:00", TunerCommand("More", "8", 30)),
                       ListingRow("\\c", "2009/03/01 23:00:00", TunerCommand("Last", "12", 30))});
    const std::string taken = setup.ReserveDir + "20090301210121.tvpi";
    Harvest();
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[1].starts_with("pex.log: 予約ファイル[" + taken + "]を作成できないため取り込みません: ") &&
                lines[1].ends_with(") (C.ERROR)"))
        << lines[1];
    EXPECT_TRUE(std::filesystem::exists(folder.Native("reserve/GigaPocket/20090301220108.tvpi")));
    EXPECT_TRUE(std::filesystem::exists(folder.Native("reserve/GigaPocket/20090301230112.tvpi")));
}

TEST_F(HarvestTest, AnErrorInsideTheLoopStillClosesTheTablesAndEndsTheLog) {
    listing = Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                       ListingRow("\\b", "2009/03/01 22:00:00", TunerCommand("More", "8", 30))});
    run.PumpMessages = [this] {
        if (++pumps == 2) {
            throw QuellixError{"boom"};
        }
    };
    EXPECT_THROW(Harvest(), QuellixError);
    EXPECT_EQ(ReserveFiles().size(), 1U); // the first task's file; the loop ended after it
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
    EXPECT_TRUE(std::filesystem::exists(folder.Native("tvchdata.csv")));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

// The file system of the tables, with one table file that cannot be opened for reading.
class UnreadableTableFile final : public TableFileSystem {
public:
    explicit UnreadableTableFile(std::string name) : name_{std::move(name)} {}
    os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) override {
        if (mode == os::OpenMode::ReadExisting && ExtractFileName(path) == name_) {
            return {};
        }
        return TableFileSystem::OpenFile(path, mode, share);
    }

private:
    std::string name_;
};

TEST_F(HarvestTest, ATableThatCannotBeOpenedEndsTheHarvestBeforeItsClosingSteps) {
    listing = Listing({ListingHeader(), ListingRow("\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30))});
    const std::string tvconvert = ReadAll(folder.Native("tvconvert.csv"));
    UnreadableTableFile fs{"pexTVCHNo.csv"};
    for (TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->SetFileSystemForTesting(fs);
    }
    EXPECT_THROW(Harvest(), IoError); // the caller logs it, right after the start line
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Quellix開始"});
    EXPECT_EQ(captures, 0);
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
    // No table was written: the one opened before the failure neither rewritten nor backed up.
    EXPECT_EQ(ReadAll(folder.Native("tvconvert.csv")), tvconvert);
    EXPECT_FALSE(std::filesystem::exists(folder.Native("tvconvert.old")));
    EXPECT_FALSE(std::filesystem::exists(folder.Native("tvchdata.csv")));
}

} // namespace
} // namespace quellix
