// The text of a channel-table file: a header line of quoted field labels, then one line per record
// of quoted, "%"-coded values, every line closed by an extra comma and CR LF. Reading is lenient
// (any bytes load into some table); writing always produces the exact form.
#pragma once

#include "channels/table_records.h"
#include "support/text_encoding.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// What a file held that its table cannot keep, so that saving the table would drop it.
struct TableLoss {
    // The header texts of the columns bound to no field (a label the table lacks, or one whose
    // field an earlier column took).
    std::vector<std::string> unknownColumns;
    // Values in those columns or beyond the header's columns, null ones left out.
    std::size_t droppedValues{};
    // Per field, the values longer than the field's size (they are cut).
    std::vector<std::size_t> longValues;

    [[nodiscard]] bool Any() const noexcept;
};

// What reading a table's text found besides its records.
struct TableTextNotes {
    bool header{}; // there was a header line: the text holds a table, not only line ends
    TableLoss loss;
    // The encoding the file was saved in; its text was read converted to Shift_JIS.
    TextEncoding encoding{TextEncoding::ShiftJis};
    // The 1-based line of the first character code page 932 cannot hold ("?" in its value); 0
    // when there is none. Written back, the table would lose that character.
    std::size_t unholdableLine{};
};

// The log's line naming what of the table file at `path` the table cannot keep; empty when
// nothing is lost.
[[nodiscard]] std::string TableLossText(const std::string& path, std::span<const TFieldDef> fields,
                                        const TableLoss& loss);

// Reads a table file's bytes as they come, block by block (a line may span blocks): the first
// line is the header, which binds columns to fields by label; every further line becomes one
// record. A file saved in UTF-8 or UTF-16 is read as the text it holds (see DetectTextEncoding):
// its lines are read at Finish, once the whole text is known; Shift_JIS as soon as it is told apart.
class TableTextReader {
public:
    explicit TableTextReader(std::span<const TFieldDef> fields);
    [[nodiscard]] std::span<const TFieldDef> Fields() const noexcept { return fields_; }
    // The whole text will be about `bytes` long (a hint).
    void Expect(std::size_t bytes);
    void Feed(std::string_view bytes);
    // The records read; the reader is then ready for another file. `notes`, when given, receive
    // whether there was a header and what the text held that the records do not.
    [[nodiscard]] TableRecords Finish(TableTextNotes* notes = nullptr);

private:
    void Decide();
    void ReadLines(bool all);
    void Line(std::size_t offset, std::size_t size);
    void BindColumns(char* header, std::size_t size);

    std::span<const TFieldDef> fields_;
    TableRecords records_;
    bool headerRead_{};
    std::vector<std::size_t> binding_;
    std::size_t unread_{}; // where the first line not yet read starts in the pool
    TableLoss loss_;
    bool sjis_{};           // the text is known to be Shift_JIS: its lines are read as they come
    std::size_t checked_{}; // the start of the pool known to be valid UTF-8
    TextEncoding encoding_{TextEncoding::ShiftJis};
    std::size_t unholdableLine_{};
};

// All of a table file's bytes at once.
[[nodiscard]] TableRecords ParseTableText(std::string_view bytes, std::span<const TFieldDef> fields);

// Writes the whole table in the file format, handing the bytes to `write` in pieces of 64 KiB, or
// of a line's size where a line is longer; stops and returns false as soon as `write` returns false.
[[nodiscard]] bool WriteTableText(std::span<const TFieldDef> fields, const TableRecords& records,
                                  const std::function<bool(std::string_view)>& write);
// The same, all in one string.
[[nodiscard]] std::string FormatTableText(std::span<const TFieldDef> fields, const TableRecords& records);

// True when `bytes` is exactly what FormatTableText writes for some table with these fields: a
// file written to the end, not cut off by a crash or changed by hand.
[[nodiscard]] bool IsCompleteTableText(std::string_view bytes, std::span<const TFieldDef> fields);

} // namespace quellix
