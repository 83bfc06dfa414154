#include "app/task_listing.h"

#include "app/csv_line.h"
#include "support/text.h"

namespace quellix {

namespace {

// 1-based position of `what` in `line` from `from` on, 0 when it does not occur. Neither a comma
// nor a double quote can be the second byte of a Shift_JIS character, so a byte search will do.
std::size_t Pos(std::string_view what, std::string_view line, std::size_t from) {
    const std::size_t at = line.find(what, from);
    return at == std::string_view::npos ? 0 : at - from + 1;
}

// Moves `pos` past the quoted field whose opening quote was just passed, exactly as SplitCsvLine
// consumes it. False when no closing `",` follows: the field then runs to the end of the line.
bool SkipQuotedField(std::string_view line, std::size_t& pos) {
    constexpr std::string_view kQ1 = "\",";
    constexpr std::string_view kQ2 = "\"\",";
    constexpr std::string_view kQ3 = "\"\"\",";
    while (pos < line.size()) {
        const std::size_t p3 = Pos(kQ3, line, pos);
        const std::size_t p2 = Pos(kQ2, line, pos);
        const std::size_t p1 = Pos(kQ1, line, pos);
        if (p1 > 0 && (p2 == 0 || p2 > p1)) {
            pos += p1 + 1;
            return true;
        }
        if (p1 == 0) {
            pos = line.size();
            return false;
        }
        if (p3 > 0) {
            pos += p3 + 3;
            return true;
        }
        pos += p2 + 2;
    }
    return true;
}

} // namespace

bool IsTunerTask(const std::vector<std::string>& fields) {
    return fields.size() > 9 && SjisPos(kTunerProgram, fields[kCommandLineField]) > 0;
}

std::vector<std::size_t> CsvFieldStarts(std::string_view line) {
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    while (line.find(',', pos) != std::string_view::npos) {
        starts.push_back(pos);
        if (line[pos] == '"') {
            ++pos;
            if (!SkipQuotedField(line, pos)) {
                return starts; // a quoted last field holding a comma: nothing follows it
            }
        } else {
            pos = line.find(',', pos) + 1;
        }
    }
    starts.push_back(pos);
    return starts;
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
