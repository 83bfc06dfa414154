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
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += Quoted(fields[i], quotes);
    }
    return line;
}

} // namespace quellix::testing
