#include "app/listing_failure.h"

#include "support/text.h"

namespace quellix {

namespace {

// More than any message of the tool; a flood of output is cut.
constexpr std::size_t kMaxSaidBytes = 300;

// Control bytes and line breaks become blanks and runs of blanks one blank (neither is ever the
// second byte of a Shift_JIS character), so that the text stays on its log line.
std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool blank = byte <= 0x20 || byte == 0x7F;
        if (!blank) {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    return Trim(line);
}

} // namespace

bool IsNoTasksNote(std::string_view line) {
    const std::string text = TrimLeft(line);
    return AsciiLower(text.substr(0, 5)) == "info:" || text.starts_with("情報:") || text.starts_with("情報：");
}

namespace {

constexpr std::string_view kKeepingFiles =
    "タスク スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを残し新しい予約は取り込みません: ";

} // namespace

std::string ListingFailureText(const CommandEnd& end, std::string_view firstOutputLine) {
    std::string said = OneLine(end.ErrorOutput);
    if (said.empty()) {
        said = OneLine(firstOutputLine);
    }
    if (said.size() > kMaxSaidBytes) {
        said = std::string{SjisHead(said, kMaxSaidBytes)} + "...";
    }
    return std::string{kKeepingFiles} + "\"" + said + "\" (終了コード " + std::to_string(end.ExitCode) + ")";
}

std::string ListingTimeoutText(std::uint32_t limitMilliseconds) {
    // In whole seconds, rounded up: a limit is never shown shorter than it was.
    const std::uint32_t seconds = limitMilliseconds / 1000 + (limitMilliseconds % 1000 != 0 ? 1 : 0);
    return std::string{kKeepingFiles} + "タスク スケジューラのコマンドが " + std::to_string(seconds) +
           " 秒たっても終わらないため終了させました";
}

} // namespace quellix
