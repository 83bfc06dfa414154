// Lines of the Task Scheduler's verbose CSV listing ("schtasks /query /fo csv /v") as a Japanese
// system prints them, for the tests, the stand-in tool's listings and the benchmark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellix::testing {

inline constexpr std::string_view kListingLineEnd = "\r\n";

// The 28 column titles, the header line printed before the tasks of every task folder.
inline std::string ListingHeader() {
    return "\"HostName\",\"TaskName\",\"Next Run Time\",\"Status\",\"Logon Mode\",\"Last Run Time\","
           "\"Last Result\",\"Author\",\"Task To Run\",\"Start In\",\"Comment\",\"Scheduled Task State\","
           "\"Idle Time\",\"Power Management\",\"Run As User\",\"Delete Task If Not Rescheduled\","
           "\"Stop Task If Runs X Hours and X Mins\",\"Schedule\",\"Schedule Type\",\"Start Time\","
           "\"Start Date\",\"End Date\",\"Days\",\"Months\",\"Repeat: Every\",\"Repeat: Until: Time\","
           "\"Repeat: Until: Duration\",\"Repeat: Stop If Still Running\"";
}

// The tuner's command line for one reservation, as it registers it.
inline std::string TunerCommand(std::string_view title, std::string_view channel, int minutes,
                                std::string_view program = "PcastDigi.exe") {
    return "\"C:\\Program Files\\BUFFALO\\PCastDigi\\" + std::string{program} + "\" /t \"" + std::string{title} +
           "\",\"" + std::string{title} + "\" /ch " + std::string{channel} + " /time " + std::to_string(minutes) +
           " /powerman ";
}

enum class Quotes {
    Doubled, // inner double quotes doubled, as a CSV writer should
    AsIs,    // inner double quotes left as they are, as the tool on current Windows prints them
};

inline std::string Quoted(std::string_view text, Quotes quotes) {
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"' && quotes == Quotes::Doubled) {
            out += '"';
        }
    }
    return out + "\"";
}

inline std::string QuotedFields(const std::vector<std::string_view>& fields, Quotes quotes = Quotes::Doubled) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += Quoted(fields[i], quotes);
    }
    return line;
}

// One row (one trigger of one task): `nextRun` in the third column, `command` in the ninth.
inline std::string ListingRow(std::string_view taskName, std::string_view nextRun, std::string_view command,
                              Quotes quotes = Quotes::Doubled) {
    const std::vector<std::string_view> fields = {
        "QUELLIX-PC", taskName,
        nextRun,      "準備完了",
        "対話型のみ", "1999/11/30 0:00:00",
        "1",          "tuner",
        command,      "C:\\Program Files\\BUFFALO\\PCastDigi",
        "N/A",        "有効",
        "無効",       "バッテリ モードで停止, バッテリで開始しない",
        "tuner",      "無効",
        "72:00:00",   "スケジュール データをこの形式で使用することはできません。",
        "1 回のみ",   "21:00:00",
        "2009/03/01", "N/A",
        "N/A",        "N/A",
        "無効",       "無効",
        "無効",       "無効"};
    return QuotedFields(fields, quotes);
}

// The listings of other Windows generations and languages. Vista and later (the layout above);
// XP and Server 2003, whose ninth column is the schedule, so the command line is the tenth.
enum class Layout { Vista, Xp };
enum class Language { English, Japanese };

inline std::string ListingHeader(Layout layout, Language language) {
    if (language == Language::English) {
        return layout == Layout::Vista ? ListingHeader()
                                       : QuotedFields({"HostName",
                                                       "TaskName",
                                                       "Next Run Time",
                                                       "Status",
                                                       "Logon Mode",
                                                       "Last Run Time",
                                                       "Last Result",
                                                       "Creator",
                                                       "Schedule",
                                                       "Task To Run",
                                                       "Start In",
                                                       "Comment",
                                                       "Scheduled Task State",
                                                       "Scheduled Type",
                                                       "Start Time",
                                                       "Start Date",
                                                       "End Date",
                                                       "Days",
                                                       "Months",
                                                       "Run As User",
                                                       "Delete Task If Not Rescheduled",
                                                       "Stop Task If Runs X Hours and X Mins",
                                                       "Repeat: Every",
                                                       "Repeat: Until: Time",
                                                       "Repeat: Until: Duration",
                                                       "Repeat: Stop If Still Running",
                                                       "Idle Time",
                                                       "Power Management"});
    }
    std::vector<std::string_view> titles = {"ホスト名",
                                            "タスク名",
                                            "次回の実行時刻",
                                            "状態",
                                            "ログオン モード",
                                            "前回の実行時刻",
                                            "前回の結果",
                                            "作成者",
                                            "実行するタスク",
                                            "開始",
                                            "コメント",
                                            "スケジュールされたタスクの状態",
                                            "アイドル時間",
                                            "電源管理",
                                            "ユーザーとして実行",
                                            "再スケジュールされない場合はタスクを削除する",
                                            "タスクを停止するまでの実行時間",
                                            "スケジュール",
                                            "スケジュールの種類",
                                            "開始時刻",
                                            "開始日",
                                            "終了日",
                                            "日",
                                            "月",
                                            "繰り返し: 間隔",
                                            "繰り返し: 終了時刻",
                                            "繰り返し: 期間",
                                            "繰り返し: 実行中の場合は停止"};
    if (layout == Layout::Xp) {
        titles.insert(titles.begin() + 8, "スケジュール");
        titles.pop_back();
    }
    return QuotedFields(titles);
}

// One row in the given layout: for XP, the schedule before the command line and one column less
// at the end, so that both layouts have 28 columns.
inline std::string ListingRow(Layout layout, std::string_view taskName, std::string_view nextRun,
                              std::string_view command, Quotes quotes = Quotes::Doubled) {
    if (layout == Layout::Vista) {
        return ListingRow(taskName, nextRun, command, quotes);
    }
    return QuotedFields({"QUELLIX-PC",
                         taskName,
                         nextRun,
                         "Ready",
                         "Interactive only",
                         "Never",
                         "0",
                         "tuner",
                         "At 21:00 on 2009/03/01",
                         command,
                         "C:\\Program Files\\BUFFALO\\PCastDigi",
                         "N/A",
                         "Enabled",
                         "One Time Only",
                         "21:00:00",
                         "2009/03/01",
                         "N/A",
                         "N/A",
                         "N/A",
                         "tuner",
                         "Disabled",
                         "72:0",
                         "Disabled",
                         "Disabled",
                         "Disabled",
                         "Disabled",
                         "Disabled",
                         "Disabled"},
                        quotes);
}

} // namespace quellix::testing
