// Splitting one line of comma-separated text (the Task Scheduler's CSV listing, the channel
// tables) into its fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// Empties `fields`, then fills it with the line's fields, each trimmed (bytes 0x00-0x20 removed
// at both ends). A field that starts with a double quote runs to the next `",` that is not part
// of a doubled quote, and its doubled quotes stand for one. The last field loses one leading and
// one trailing double quote but keeps its doubled quotes as they are, unless it contains a comma,
// in which case it is read like any quoted field. A line always yields at least one field.
void SplitCsvLine(std::string_view line, std::vector<std::string>& fields);

// The byte offset in `line` at which each field that SplitCsvLine gives for it starts (one entry
// per field, in order).
[[nodiscard]] std::vector<std::size_t> CsvFieldStarts(std::string_view line);

} // namespace quellix
