// Reading the Task Scheduler's verbose CSV listing ("schtasks /query /fo csv /v") line by line:
// which lines are the tuner's tasks, and their fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// The tuner's recorder program, as its tasks' command lines name it (letter case counts).
inline constexpr std::string_view kTunerProgram = "PcastDigi.exe";

// Positions the listing is read by; the column titles are in the display language and never read.
inline constexpr std::size_t kNextRunField = 2;
inline constexpr std::size_t kCommandLineField = 8;

// True for the fields of a tuner task: more than 9 fields, and the command line names the
// tuner's recorder program.
[[nodiscard]] bool IsTunerTask(const std::vector<std::string>& fields);

// SplitCsvLine, mended for command lines whose inner double quotes the tool printed as they are
// (current Windows does not double them): when the line gives more fields than
// `headerFieldCount` (at least 10), fields 0 to 7 are read from the left, the fields after the
// command line from the right, and the command line is the raw text between them without its
// enclosing quotes. Any other line gives SplitCsvLine's fields unchanged.
void SplitListingLine(std::string_view line, std::size_t headerFieldCount, std::vector<std::string>& fields);

// Feeds the lines of one listing in order and picks the tuner tasks. The listing's first
// non-blank line is its header (its field count is what a task line should have).
class TaskListingReader {
public:
    // True when `line` is a tuner task; `fields` then holds its fields. Other lines may leave
    // `fields` with anything in it.
    [[nodiscard]] bool ReadTunerTask(std::string_view line, std::vector<std::string>& fields);

private:
    std::size_t headerFieldCount_ = 0;
};

} // namespace quellix
