// The real quellix.exe checking: "<reserve directory>" /check follows an import run over the
// stand-in Task Scheduler, changes no file, and writes one report that the import then bears out.
#include "tests/e2e/harvest_e2e_fixture.h"

#include "channels/channel_file.h"
#include "support/cp932_win.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace quellix::e2e {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::TunerCommand;

const std::wstring kTunerKey = L"Software\\BUFFALO INC.";

class CheckTest : public StandInHarvestTest {
protected:
    void SetUp() override {
        StandInHarvestTest::SetUp();
        DeleteRegistryTree(kTunerKey);
    }
    void TearDown() override { DeleteRegistryTree(kTunerKey); }

    // A tuner whose channel file gives the deck four stations, one renamed on the way.
    void InstallTuner() {
        const std::wstring tuner = root / L"tuner";
        ASSERT_TRUE(::CreateDirectoryW(tuner.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((tuner + L"\\channels").c_str(), nullptr));
        SetRegistryString(kTunerKey + L"\\PCastTVDigital\\PCastDigi", L"Dir", tuner);
        SetRegistryDword(kTunerKey + L"\\PCastTVDigital\\AppCfg", L"LocationIdx", 13);
        WriteFileBytes(tuner + L"\\channels\\13_ChFile.txt", "[Station]\r\n21=ＮＨＫ総合,0x0400,1\r\n"
                                                             "8=ソフト局,0x0408,1\r\n"
                                                             "no equals sign here\r\n"
                                                             "5=旧局名,0x0405,1\r\n"
                                                             "[End_Station]\r\n");
        WriteFileBytes(root / L"tvconvert.csv", "\"元のTV局名\",\"新しいTV局名\",\r\n\"旧局名\",\"新局名\",\r\n");
    }

    // Every file below the root, by its path under it, with its bytes.
    std::map<std::wstring, std::string> Tree(const std::wstring& dir, const std::wstring& under = {}) const {
        std::map<std::wstring, std::string> files;
        for (const std::wstring& name : ListDir(dir)) {
            const std::wstring path = dir + L"\\" + name;
            if (::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
                files.merge(Tree(path, under + name + L"\\"));
            } else {
                files[under + name] = ReadFileBytes(path);
            }
        }
        return files;
    }

    static bool Has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

// The whole chain in one scenario: a channel file that changes the table, tasks imported, tasks
// dropped for each reason, a task that only names the recorder. The check leaves every file as
// it was and adds only its report; the import that follows writes the files it named and logs
// the reasons it gave.
TEST_F(CheckTest, ChangesNothingAndForetellsTheImportThatFollows) {
    InstallTuner();
    const std::wstring deck = root / L"reserve\\Deck表";
    ASSERT_TRUE(::CreateDirectoryW(deck.c_str(), nullptr));
    WriteFileBytes(deck + L"\\20090101000021.tvpi", "from the previous run");
    const std::string listing = Listing({
        ListingHeader(),
        ListingRow("\\a", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
        ListingRow("\\b", "2009/03/01 22:00:00", TunerCommand("表示", "8", 30)),
        ListingRow("\\c", "2009/03/02 0:00:00", TunerCommand("ソ", "5", 30)),
        ListingRow("\\d", "2009/03/02 1:00:00", TunerCommand("None", "99", 30)),
        ListingRow("\\e", "N/A", TunerCommand("Finished", "21", 30)),
        ListingRow("\\copy", "2009/03/02 3:00:00", "C:\\Tools\\copy.exe C:\\PCast\\PcastDigi.exe D:\\"),
    });
    const auto before = Tree(root.Path());
    const std::vector<std::string> report = Check(deck, listing);
    auto after = Tree(root.Path());
    after.erase(L"listing.csv");
    auto expected = before;
    expected.erase(L"listing.csv");
    const std::string reportBytes = after[L"temp\\quellix-check.txt"];
    after.erase(L"temp\\quellix-check.txt");
    EXPECT_EQ(after, expected) << "the check left no file but its report, and changed none";

    for (const char* line : {
             "[OK]   取り込まれる予約: 3 件",
             "[問題] 取り込まれない予約: 2 件",
             "       「None」: チャンネルエラー: \"Deck表\" , \"99\"",
             "       「Finished」: 次回実行日時がないため取り込みません: \"Finished\"",
             "[OK]   録画機の名前 (フォルダー名から): Deck表",
             "[OK]   いま予約フォルダーにある予約ファイル (.tvpi): 1 件",
             "[OK]   地域番号 (LocationIdx): 13",
             "       5 = 旧局名 → 新局名 (tvconvert.csv で置き換え)",
             "[注意] チャンネルファイルの番号か名前のない行: 「no equals sign here」",
             "[OK]   取り込みで変わる行: 4 件",
             "       追加: 21 = ＮＨＫ総合",
             "       追加: (なし) = (なし)",
             "[OK]   タスク スケジューラの一覧: 終了コード 0, タスク 6 件, うちチューナーの予約 5 件",
             "[注意] タスク 「\\copy」 は PcastDigi.exe の名前を含みますが、実行するのは 「copy.exe」 "
             "なので予約として扱いません",
         }) {
        EXPECT_TRUE(Has(report, line)) << line << "\n" << reportBytes;
    }
    EXPECT_FALSE(Has(report, "[注意] Quellix開始")) << "the harvest's own lines are no table's notice";

    // The import run of the same listing.
    ASSERT_TRUE(Import(deck + L"\\", listing).finished);
    std::set<std::string> foretold;
    std::vector<std::string> reasons{"Quellix開始"};
    const std::string filePrefix = "       予約ファイル: ";
    const std::string reasonPrefix = "       取り込みで pex.log に書かれる行: ";
    for (const std::string& line : report) {
        if (line.starts_with(filePrefix)) {
            foretold.insert(line.substr(filePrefix.size()));
        } else if (line.starts_with(reasonPrefix)) {
            reasons.push_back(line.substr(reasonPrefix.size()));
        }
    }
    reasons.emplace_back("Quellix終了");
    std::set<std::string> written;
    for (const auto& [name, bytes] : Files(deck)) {
        written.insert(name);
    }
    EXPECT_EQ(written, foretold);
    EXPECT_EQ(written.size(), 3U);
    EXPECT_EQ(HarvestLog(), reasons);
}

// What keeps every reservation out is a problem with what to do: a Task Scheduler that fails, a
// channel file that is nowhere, a reserve folder that does not exist.
TEST_F(CheckTest, AFailingTaskSchedulerAMissingChannelFileAndAMissingFolderAreProblems) {
    const ScopedEnvironment error{L"QUELLIX_SCHTASKS_ERROR", L"ERROR: Access is denied."};
    const ScopedEnvironment exitCode{L"QUELLIX_SCHTASKS_EXIT_CODE", L"1"};
    SetRegistryString(kTunerKey + L"\\PCastTVDigital\\PCastDigi", L"Dir", root / L"no tuner");
    const std::vector<std::string> report = Check(root / L"reserve\\Nowhere", "");
    const std::string text = [&] {
        std::string all;
        for (const std::string& line : report) {
            all += line + "\n";
        }
        return all;
    }();
    const std::string rootDir = SjisFromWide(root.Path());
    for (const std::string& line : {
             std::string{"[問題] ほかの問題: 3 件"},
             "[問題] 予約フォルダーがありません: " + rootDir + "\\reserve\\Nowhere\\",
             "[OK]   チャンネルファイルなし: " + rootDir + "\\no tuner\\channels\\" + ChannelFileName(0),
             std::string{"[問題] チャンネルファイルが見つかりません。チャンネルの表は今のままです"},
             std::string{"[問題] タスク スケジューラの一覧を取れません (終了コード 1): タスク スケジューラからタスクの"
                         "一覧を受け取れないため、前回の予約ファイルを残し新しい予約は取り込みません: \"ERROR: Access "
                         "is denied.\" (終了コード 1)"},
         }) {
        EXPECT_TRUE(Has(report, line)) << line << "\n" << text;
    }
    EXPECT_FALSE(FileExists(root / L"pex.log"));
}

// The settings window's window menu starts the same check for the reserve directory it was opened
// for, and the window stays open.
TEST_F(CheckTest, TheSettingsWindowsMenuStartsTheCheck) {
    const std::wstring record = root / L"viewer.txt";
    const ScopedEnvironment viewerVariable{L"QUELLIX_CHECK_VIEWER", BinDir() + L"\\report_viewer.exe"};
    const ScopedEnvironment recordVariable{L"QUELLIX_VIEWER_RECORD", record};
    PROCESS_INFORMATION process = StartQuellix({reserve, L"/c"});
    const HWND window = WaitForMainWindow(process.dwProcessId);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_SYSCOMMAND, 0x0110, 0);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(record); }));
    const std::vector<std::string> report = ReadLines(temp + L"\\quellix-check.txt");
    EXPECT_TRUE(Has(report, "[OK]   録画機の名前 (フォルダー名から): GigaPocket"));
    EXPECT_TRUE(Has(report, "[注意] Quellix がほかに動いています (設定画面が開いたままかもしれません)"));
    EXPECT_TRUE(::IsWindowVisible(window));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitAndClose(process).finished);
}

} // namespace
} // namespace quellix::e2e
