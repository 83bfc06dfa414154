#include "app/task_listing.h"

#include "app/csv_line.h"
#include "support/text.h"

#include <algorithm>
#include <optional>

namespace quellix {

bool IsTunerTask(const std::vector<std::string>& fields) {
    return fields.size() > 9 && SjisPos(kTunerProgram, fields[kCommandLineField]) > 0;
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

void TaskListingReader::TakeHeader(std::string_view line, const std::vector<std::string>& fields) {
    headerFieldCount_ = fields.size();
    commandField_ = NamedCommandField(fields).value_or(kCommandLineField);
    headerStart_ = line.substr(0, line.find(',') + 1);
}

bool TaskListingReader::TunerTask(std::vector<std::string>& fields) const {
    if (fields.size() <= std::max(commandField_, kCommandLineField + 1)) {
        return false; // too short for a task, or without the command line's column
    }
    if (commandField_ != kCommandLineField) {
        const auto at = [&fields](std::size_t index) { return fields.begin() + static_cast<std::ptrdiff_t>(index); };
        if (commandField_ > kCommandLineField) {
            std::rotate(at(kCommandLineField), at(commandField_), at(commandField_ + 1));
        } else {
            std::rotate(at(commandField_), at(commandField_ + 1), at(kCommandLineField + 1));
        }
    }
    return IsTunerTask(fields);
}

bool TaskListingReader::ReadTunerTask(std::string_view line, std::vector<std::string>& fields) {
    if (headerFieldCount_ == 0) {
        SplitCsvLine(line, fields);
        if (fields.size() < kHeaderMinFields) {
            return false;
        }
        TakeHeader(line, fields);
        return TunerTask(fields); // a listing without a header starts with a task
    }
    // Field 8 holds the program's name only when the line does (no doubled quote can make it up),
    // so most lines of a long listing need no splitting at all.
    if (line.find(kTunerProgram) == std::string_view::npos) {
        if (line.starts_with(headerStart_)) {
            SplitCsvLine(line, fields);
            if (fields.size() >= kHeaderMinFields && NamedCommandField(fields)) {
                TakeHeader(line, fields);
            }
        }
        return false;
    }
    SplitListingLine(line, headerFieldCount_, fields, commandField_);
    return TunerTask(fields);
}

} // namespace quellix
