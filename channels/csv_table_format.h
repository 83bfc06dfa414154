// The text of a channel-table file: a header line of quoted field labels, then one line per record
// of quoted, "%"-coded values, every line closed by an extra comma and CR LF. Reading is lenient
// (any bytes load into some table); writing always produces the exact form.
#pragma once

#include "channels/table_records.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quellix {

// A text field of a table: its name, the label written to the file's header (the name when the
// design gives none) and its maximum size in bytes.
struct TFieldDef {
    std::string name;
    std::string label;
    std::size_t size{};
};

// The text a field stores for `text`: cut at its first NUL byte, then to `size` bytes (also in the
// middle of a double-byte character).
[[nodiscard]] std::string_view StoredText(std::string_view text, std::size_t size);

// Reads a table file's bytes: the header binds columns to fields by label, every further line
// becomes one record.
[[nodiscard]] TableRecords ParseTableText(std::string_view bytes, std::span<const TFieldDef> fields);

// Writes the whole table in the file format.
[[nodiscard]] std::string FormatTableText(std::span<const TFieldDef> fields, const TableRecords& records);

// True when `bytes` is exactly what FormatTableText writes for some table with these fields: a
// file written to the end, not cut off by a crash or changed by hand.
[[nodiscard]] bool IsCompleteTableText(std::string_view bytes, std::span<const TFieldDef> fields);

} // namespace quellix
