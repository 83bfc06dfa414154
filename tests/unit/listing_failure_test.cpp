#include "app/listing_failure.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(IsNoTasksNote, KnowsTheToolsNoteInItsLanguages) {
    const struct {
        std::string_view line;
        bool note;
    } cases[] = {
        {"INFO: There are no scheduled tasks presently available at your access level.", true},
        {"  info: lower case", true},
        {"情報: タスクがありません。", true},
        {"情報：全角のコロン", true},
        {"ERROR: Access is denied.", false},
        {"INFORMATION", false},
        {"\"HostName\",\"TaskName\"", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNoTasksNote(c.line), c.note) << c.line;
    }
}

TEST(ListingFailureText, SaysWhatTheToolSaidOnOneLine) {
    const std::string start =
        "タスク スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は取り込みません: \"";
    const std::string longText = "ERROR: " + std::string(292, 'x') + "表示"; // the cut falls inside 表
    const struct {
        CommandEnd end;
        std::string_view firstLine;
        std::string said;
    } cases[] = {
        {{5, "\r\n ERROR: Access\tis\r\n\r\ndenied.\x1A "}, "ignored", "ERROR: Access is denied."},
        {{1, ""}, " エラー: サービスが開始されていません。 ", "エラー: サービスが開始されていません。"},
        {{0, " \r\n"}, "", ""},
        {{1, longText}, "", "ERROR: " + std::string(292, 'x') + "..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListingFailureText(c.end, c.firstLine),
                  start + c.said + "\" (終了コード " + std::to_string(c.end.ExitCode) + ")");
    }
}

TEST(ListingTimeoutText, NamesTheLimitInWholeSecondsNeverShorterThanItWas) {
    const std::string start =
        "タスク スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は"
        "取り込みません: タスク スケジューラのコマンドが ";
    const struct {
        std::uint32_t milliseconds;
        const char* seconds;
    } cases[] = {{120000, "120"}, {1000, "1"}, {1001, "2"}, {999, "1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ListingTimeoutText(c.milliseconds), start + c.seconds + " 秒たっても終わらないため終了させました")
            << c.milliseconds;
    }
}

} // namespace
} // namespace quellix
