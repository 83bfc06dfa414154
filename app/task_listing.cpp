#include "app/task_listing.h"

#include "app/csv_line.h"
#include "support/text.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quellix {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Index of the first blank at or after `from`, or the text's size. Neither a blank nor a double
// quote is ever the second byte of a Shift_JIS character, so bytes can be compared directly.
std::size_t BlankFrom(std::string_view text, std::size_t from) {
    while (from < text.size() && !IsBlank(text[from])) {
        ++from;
    }
    return from;
}

char AsciiLowerByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

// A false match on a double-byte character's bytes only costs a full split.
bool MentionsTunerProgram(std::string_view line) {
    struct LowerHash {
        std::size_t operator()(char c) const noexcept { return std::hash<char>{}(AsciiLowerByte(c)); }
    };
    static const std::boyer_moore_horspool_searcher searcher{
        kTunerProgram.begin(), kTunerProgram.end(), LowerHash{},
        [](char a, char b) { return AsciiLowerByte(a) == AsciiLowerByte(b); }};
    return std::search(line.begin(), line.end(), searcher) != line.end();
}

std::string CommandProgramName(std::string_view commandLine) {
    std::size_t first = 0;
    while (first < commandLine.size() && IsBlank(commandLine[first])) {
        ++first;
    }
    commandLine.remove_prefix(first);
    std::string_view program;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t close = commandLine.find('"', 1);
        program = commandLine.substr(1, close == std::string_view::npos ? close : close - 1);
    } else {
        // Windows tries "C:\Program", then "C:\Program Files\...\PcastDigi.exe": a name without
        // an extension goes on to the next blank, one with an extension is the program.
        std::size_t end = BlankFrom(commandLine, 0);
        program = commandLine.substr(0, end);
        while (end < commandLine.size() && LastDelimiter(program, "\\") != std::string_view::npos &&
               ExtractFileName(program).find('.') == std::string::npos) {
            end = BlankFrom(commandLine, end + 1);
            program = commandLine.substr(0, end);
        }
    }
    std::string name = ExtractFileName(program);
    while (!name.empty() && name.back() == '"') {
        name.pop_back();
    }
    return name;
}

bool IsTunerCommand(std::string_view commandLine) {
    return AsciiLower(CommandProgramName(commandLine)) == AsciiLower(kTunerProgram);
}

namespace {

// The column whose title names the command line, or nullopt when the header names none (a listing
// in another language). A column before the next run time cannot be it.
std::optional<std::size_t> NamedCommandField(const std::vector<std::string>& fields) {
    for (std::size_t i = kNextRunField + 1; i < fields.size(); ++i) {
        for (const std::string_view title : kCommandLineTitles) {
            if (fields[i] == title) {
                return i;
            }
        }
    }
    return std::nullopt;
}

} // namespace

void SplitListingLine(std::string_view line, std::size_t headerFieldCount, std::vector<std::string>& fields,
                      std::size_t commandField) {
    SplitCsvLine(line, fields);
    if (headerFieldCount < 10 || headerFieldCount <= commandField + 1 || fields.size() <= headerFieldCount) {
        return;
    }
    const std::vector<std::size_t> starts = CsvFieldStarts(line);
    if (starts.size() != fields.size()) {
        return; // cannot happen: both walk the line by the same rules
    }
    // The first field after the command line, counted from the right.
    const std::size_t tail = fields.size() - (headerFieldCount - commandField - 1);
    const std::size_t begin = starts[commandField];
    // Every field before the last ends in a comma, so the one before `tail` does too.
    std::string_view commandLine = line.substr(begin, starts[tail] - 1 - begin);
    std::string trimmed = Trim(commandLine);
    commandLine = trimmed;
    if (!commandLine.empty() && commandLine.front() == '"') {
        commandLine.remove_prefix(1);
    }
    if (!commandLine.empty() && commandLine.back() == '"') {
        commandLine.remove_suffix(1);
    }
    fields[commandField] = Trim(commandLine);
    fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(commandField) + 1,
                 fields.begin() + static_cast<std::ptrdiff_t>(tail));
}

void TaskListingReader::TakeHeader(std::string_view line) {
    headerFieldCount_ = fields_.size();
    commandField_ = NamedCommandField(fields_).value_or(kCommandLineField);
    headerStart_ = line.substr(0, line.find(',') + 1);
}

bool TaskListingReader::IsTunerRow() const {
    // Too short for a task, or without the command line's column: none.
    return fields_.size() > std::max(commandField_, kCommandLineField + 1) && IsTunerCommand(fields_[commandField_]);
}

bool TaskListingReader::ReadFields(std::string_view line) {
    if (headerFieldCount_ == 0) {
        SplitCsvLine(line, fields_);
        if (fields_.size() < kHeaderMinFields) {
            return false;
        }
        TakeHeader(line);
        return IsTunerRow(); // a listing without a header starts with a task
    }
    // Field 8 holds the program's name only when the line does (no doubled quote can make it up),
    // so most lines of a long listing need no splitting at all.
    if (!MentionsTunerProgram(line)) {
        if (line.starts_with(headerStart_)) {
            SplitCsvLine(line, fields_);
            if (fields_.size() >= kHeaderMinFields && NamedCommandField(fields_)) {
                TakeHeader(line);
            }
        }
        return false;
    }
    SplitListingLine(line, headerFieldCount_, fields_, commandField_);
    return IsTunerRow();
}

std::optional<ListedTask> TaskListingReader::ReadTunerTask(std::string_view line) {
    if (!ReadFields(line)) {
        return std::nullopt;
    }
    return ListedTask{std::move(fields_[kNextRunField]), std::move(fields_[commandField_]), fields_[1]};
}

} // namespace quellix
