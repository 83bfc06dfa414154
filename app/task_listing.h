// Reading the Task Scheduler's verbose CSV listing ("schtasks /query /fo csv /v") line by line:
// which lines are the tuner's tasks, and their fields.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// The tuner's recorder program, as its tasks' command lines name it (in any letter case, as
// Windows compares file names).
inline constexpr std::string_view kTunerProgram = "PcastDigi.exe";

// Positions the listing is read by. The next run time is the third field in the listings of every
// Windows generation; the command line is the ninth unless the header puts it elsewhere (the
// older layout of Windows XP and Server 2003 has "Schedule" before it, so it is the tenth).
inline constexpr std::size_t kNextRunField = 2;
inline constexpr std::size_t kCommandLineField = 8;

// The command line's column title in the header, in English and in Japanese.
inline constexpr std::string_view kCommandLineTitles[] = {"Task To Run", "実行するタスク"};

// The fewest fields a header line has; shorter lines before it ("INFO: ..." or an error text of
// the tool, blank lines) are no part of the listing.
inline constexpr std::size_t kHeaderMinFields = 9;

// The file name of the program that a command line starts, as Windows finds it: a quoted first
// token up to its closing quote; an unquoted one up to the first blank, or, while what it names
// has a directory part but no extension, up to a later blank (an unquoted path with blanks). A
// double quote left at its end (by a listing whose quotes were not all doubled) is dropped.
[[nodiscard]] std::string CommandProgramName(std::string_view commandLine);

// True when the line holds the recorder's name in any letter case: a line without it holds no
// tuner task.
[[nodiscard]] bool MentionsTunerProgram(std::string_view line);

// True when the program that the command line starts is the tuner's recorder.
[[nodiscard]] bool IsTunerCommand(std::string_view commandLine);

// SplitCsvLine, mended for command lines whose inner double quotes the tool printed as they are
// (current Windows does not double them): when the line gives more fields than
// `headerFieldCount` (at least 10, and more than `commandField` + 1), the fields before the
// command line are read from the left, the fields after it from the right, and the command line
// is the raw text between them without its enclosing quotes. Any other line gives SplitCsvLine's
// fields unchanged.
void SplitListingLine(std::string_view line, std::size_t headerFieldCount, std::vector<std::string>& fields,
                      std::size_t commandField = kCommandLineField);

// Feeds the lines of one listing in order and picks the tuner tasks. The header is the first line
// with at least kHeaderMinFields fields (its field count is what a task line should have); the
// lines before it are skipped. The header gives the command line's column when it names it (see
// kCommandLineTitles), and so does a header seen again later; otherwise it is field 8.
// What the harvest takes from a tuner task's row.
struct ListedTask {
    std::string NextRun;     // the next run time as the tool printed it
    std::string CommandLine; // the recorder's command line
    std::string TaskName;    // as the tool printed it (the second field)
};

class TaskListingReader {
public:
    // The tuner task on `line`: a row of more than 9 fields whose command line starts the tuner's
    // recorder program (IsTunerCommand). Another program's task that only mentions it, in its
    // arguments or in a column that quotes cut apart, is none; nor is any other line.
    [[nodiscard]] std::optional<ListedTask> ReadTunerTask(std::string_view line);

    // The header's field count (0 before the header) and the command line's column.
    [[nodiscard]] std::size_t HeaderFieldCount() const noexcept { return headerFieldCount_; }
    [[nodiscard]] std::size_t CommandField() const noexcept { return commandField_; }
    // The fields of the last line that was split: every line that mentions the tuner's program
    // once the header is known (a tuner task's own command line and next run excepted: taken).
    [[nodiscard]] const std::vector<std::string>& LastFields() const noexcept { return fields_; }

private:
    void TakeHeader(std::string_view line);
    [[nodiscard]] bool IsTunerRow() const;
    [[nodiscard]] bool ReadFields(std::string_view line); // true for a tuner task

    std::size_t headerFieldCount_ = 0;
    std::size_t commandField_ = kCommandLineField;
    // The header's bytes up to its first comma: a line that begins with them may be the header
    // again (the tool prints it before the tasks of every folder).
    std::string headerStart_;
    std::vector<std::string> fields_; // the last line's, kept for the next line's split
};

} // namespace quellix
