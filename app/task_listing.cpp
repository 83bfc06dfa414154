#include "app/task_listing.h"

#include "app/csv_line.h"
#include "support/text.h"

namespace quellix {

bool IsTunerTask(const std::vector<std::string>& fields) {
    return fields.size() > 9 && SjisPos(kTunerProgram, fields[kCommandLineField]) > 0;
}

void SplitListingLine(std::string_view line, std::size_t headerFieldCount, std::vector<std::string>& fields) {
    SplitCsvLine(line, fields);
    if (headerFieldCount < 10 || fields.size() <= headerFieldCount) {
        return;
    }
    const std::vector<std::size_t> starts = CsvFieldStarts(line);
    if (starts.size() != fields.size()) {
        return; // cannot happen: both walk the line by the same rules
    }
    // The first field after the command line, counted from the right.
    const std::size_t tail = fields.size() - (headerFieldCount - kCommandLineField - 1);
    const std::size_t begin = starts[kCommandLineField];
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
    fields[kCommandLineField] = Trim(commandLine);
    fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(kCommandLineField) + 1,
                 fields.begin() + static_cast<std::ptrdiff_t>(tail));
}

bool TaskListingReader::ReadTunerTask(std::string_view line, std::vector<std::string>& fields) {
    if (headerFieldCount_ == 0) {
        if (Trim(line).empty()) {
            return false;
        }
        SplitCsvLine(line, fields);
        headerFieldCount_ = fields.size();
        return IsTunerTask(fields);
    }
    // Field 8 holds the program's name only when the line does (no doubled quote can make it up),
    // so most lines of a long listing need no splitting at all.
    if (line.find(kTunerProgram) == std::string_view::npos) {
        return false;
    }
    SplitListingLine(line, headerFieldCount_, fields);
    return IsTunerTask(fields);
}

} // namespace quellix
