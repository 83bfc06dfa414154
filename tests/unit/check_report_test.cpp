// The check's report: what each fact gives as a verdict, the summary on top, the lines' ends.
#include "app/check_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace quellix {
namespace {

// A machine where everything is in order, with one reservation imported.
CheckFacts Sound() {
    CheckFacts f;
    f.Now = "2026/12/10 03:00:00";
    f.ProgramVersion = "1.0.1.0";
    f.WindowsVersion = "10.0.19045";
    f.CodePage = 932;
    f.ShortDate = "yyyy/MM/dd";
    f.TimeFormat = "H:mm:ss";
    f.RootPath = "C:\\Pexlan";
    f.RootExists = true;
    f.LogFile = "C:\\Pexlan\\pex.log";
    f.ReserveDir = "C:\\Pexlan\\reserve\\GigaPocket\\";
    f.ReserveExists = true;
    f.ReserveWritable = true;
    f.DeckName = "GigaPocket";
    f.Places = {{"C:\\PCast\\channels\\Channel13.txt", PlaceState::Found}};
    f.Stations = {{"21", "TV Alpha", "TV Alpha", "TV Alpha"}};
    f.StationNameSize = 30;
    f.RowsBefore = {{"21", "TV Alpha"}};
    f.RowsAfter = {{"21", "TV Alpha"}};
    f.ToolStarted = true;
    f.Listed = true;
    f.TaskCount = 2;
    f.Tasks = {{"\\PCastTV_1", "News", "2009/03/01 21:00:00", "2009/03/01 21:01", "21", "TV Alpha",
                TaskOutcome::Written, "C:\\Pexlan\\reserve\\GigaPocket\\200903012101021.tvpi", ""}};
    return f;
}

TEST(CheckReport, EachFactGivesItsVerdictAndTheSummaryCountsWhatIsNotImported) {
    struct Case {
        const char* name;
        std::function<void(CheckFacts&)> change;
        std::vector<std::string> lines; // each must stand in the report
        std::string summary;            // the summary's last verdict line
        std::vector<std::string> absent = {};
    };
    const Case cases[] = {
        {"sound",
         [](CheckFacts&) {},
         {"[OK]   取り込まれる予約: 1 件",
          "[OK]   チャンネルファイルあり (これを使います): C:\\PCast\\channels\\Channel13.txt",
          "       予約ファイル: 200903012101021.tvpi", "[OK]   取り込みで変わる行: なし"},
         "[OK]   問題は見つかりませんでした",
         {"[OK]   チャンネルファイルなし: C:\\PCast\\channels\\Channel13.txt"}},
        {"a channel file without the deck's stations",
         [](CheckFacts& f) { f.RowsAfter.clear(); },
         {"[問題] 取り込み後の「GigaPocket」の行: 0 件"},
         "[問題] ほかの問題: 1 件"},
        {"a task without a next run",
         [](CheckFacts& f) {
             f.Tasks.push_back({"\\PCastTV_2", "Done", "N/A", "", "21", "", TaskOutcome::NoNextRun, "",
                                "次回実行日時がないため取り込みません: \"Done\""});
         },
         {"[問題] 取り込まれない予約: 1 件", "       「Done」: 次回実行日時がないため取り込みません: \"Done\"",
          "       取り込みで pex.log に書かれる行: 次回実行日時がないため取り込みません: \"Done\""},
         "       「Done」: 次回実行日時がないため取り込みません: \"Done\""},
        {"no channel file, another code page",
         [](CheckFacts& f) {
             f.Places = {{"C:\\a\\Channel13.txt", PlaceState::Missing}, {"C:\\b\\Channel13.txt", PlaceState::Held}};
             f.Stations.clear();
             f.CodePage = 1252;
             f.RowsAfter.clear(); // told once, as the channel file's problem
         },
         {"[注意] 文字コード (ANSI コードページ): 1252 (日本語ではありません)",
          "[OK]   チャンネルファイルなし: C:\\a\\Channel13.txt",
          "[問題] チャンネルファイルをほかのプログラムが使っています: C:\\b\\Channel13.txt",
          "[問題] チャンネルファイルが見つかりません。チャンネルの表は今のままです",
          "[注意] 取り込み後の「GigaPocket」の行: 0 件"},
         "[問題] ほかの問題: 2 件"},
        {"a failing Task Scheduler",
         [](CheckFacts& f) {
             f.ExitCode = 1;
             f.Listed = false;
             f.ToolError = "タスクの一覧を取得できません: \"ERROR: Access is denied.\" (終了コード 1)";
             f.Tasks.clear();
         },
         {"[問題] タスク スケジューラの一覧を取れません (終了コード 1): タスクの一覧を取得できません: \"ERROR: Access "
          "is "
          "denied.\" (終了コード 1)",
          "[OK]   取り込まれる予約: 0 件"},
         "[問題] ほかの問題: 1 件"},
        {"no reserve folder, the host's files in VirtualStore, a long station name",
         [](CheckFacts& f) {
             f.ReserveExists = false;
             f.VirtualStore = "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Program Files\\Pexlan\\";
             f.FilesInVirtualStore = {"pex.log", "pexTVCHNo.csv"};
             f.Stations = {{"21", "とても長い放送局の名前がここに入ります", "とても長い放送局の名前がここに入ります",
                            "とても長い放送局の名前がここに"}};
         },
         {"[問題] 予約フォルダーがありません: C:\\Pexlan\\reserve\\GigaPocket\\",
          "[注意] Windows はこのユーザーの分の Pexlan のファイル (pex.log, pexTVCHNo.csv) "
          "を別のフォルダーに置いています: "
          "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Program Files\\Pexlan\\",
          "[注意] 21 = とても長い放送局の名前がここに入ります: 表には 30 バイトまでの "
          "「とても長い放送局の名前がここに」 で入ります",
          "[OK]   取り込まれる予約: 0 件", "       「News」: 予約フォルダーがありません"},
         "[問題] ほかの問題: 1 件"},
    };
    for (const Case& c : cases) {
        CheckFacts facts = Sound();
        c.change(facts);
        const std::string report = BuildCheckReport(facts);
        // Every line ends in CR LF: Notepad of every Windows shows it as lines.
        for (std::size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1)) {
            ASSERT_TRUE(at > 0 && report[at - 1] == '\r') << c.name << " at " << at;
        }
        ASSERT_TRUE(report.ends_with("\r\n")) << c.name;
        for (const std::string& line : c.lines) {
            EXPECT_NE(report.find("\r\n" + line + "\r\n"), std::string::npos) << c.name << ": " << line << "\n"
                                                                              << report;
        }
        for (const std::string& line : c.absent) {
            EXPECT_EQ(report.find("\r\n" + line + "\r\n"), std::string::npos) << c.name << ": " << line;
        }
        // The summary comes first, before the first section.
        const std::size_t summaryEnd = report.find("\r\n\r\n■ このパソコン");
        ASSERT_NE(summaryEnd, std::string::npos) << c.name;
        const std::string summary = report.substr(0, summaryEnd + 2);
        EXPECT_NE(summary.find("\r\n" + c.summary + "\r\n"), std::string::npos) << c.name << "\n" << summary;
    }
}

} // namespace
} // namespace quellix
