#include "channels/csv_table_format.h"

#include "support/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quellix {

namespace {

constexpr std::size_t kUnbound = static_cast<std::size_t>(-1);

constexpr std::array<bool, 256> kLineEnds = [] {
    std::array<bool, 256> ends{};
    ends[static_cast<unsigned char>('\r')] = true;
    ends[static_cast<unsigned char>('\n')] = true;
    ends[0] = true;
    return ends;
}();

bool IsLineEnd(char c) noexcept {
    return kLineEnds[static_cast<unsigned char>(c)];
}

// The first line-end byte at or after `at` (bytes.size() when there is none). Line ends are below
// 0x0E, so words of eight bytes none of which is below 0x0E are skipped whole.
std::size_t FindLineEnd(std::string_view bytes, std::size_t at) {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    for (;;) {
        for (; at + 8 <= bytes.size(); at += 8) {
            std::uint64_t word{};
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if (((word - kOnes * 0x0E) & ~word & kHighBits) != 0) {
                break; // some byte below 0x0E
            }
        }
        const std::size_t stop = std::min(bytes.size(), at + 8);
        for (; at < stop; ++at) {
            if (IsLineEnd(bytes[at])) {
                return at;
            }
        }
        if (at >= bytes.size()) {
            return bytes.size();
        }
    }
}

enum class ValueKind { None, Null, Text };

// Reads the value at `position` of the line and moves past it. Bytes outside double quotes are
// skipped, so an unquoted value reads as null. A quoted value is unquoted in place ("" inside
// stands for ") and given as the span of the line that now holds it; a quote left open runs to
// the end of the line. Unquoting only ever shortens a value, so the bytes still to be read are
// never touched.
ValueKind NextValue(char* line, std::size_t size, std::size_t& position, std::size_t& start, std::size_t& length) {
    while (position < size && line[position] != '"' && line[position] != ',') {
        ++position;
    }
    if (position >= size) {
        return ValueKind::None;
    }
    if (line[position] == ',') {
        ++position;
        return ValueKind::Null;
    }
    start = ++position;
    length = 0;
    for (;;) {
        const auto* found = static_cast<const char*>(std::memchr(line + position, '"', size - position));
        const std::size_t close = found == nullptr ? size : static_cast<std::size_t>(found - line);
        const std::size_t run = close - position;
        if (length > 0 || position != start) {
            std::memmove(line + start + length, line + position, run);
        }
        length += run;
        if (close + 1 < size && line[close + 1] == '"') {
            line[start + length++] = '"';
            position = close + 2;
            continue;
        }
        // The closing quote and the one byte after it, normally the delimiting comma.
        position = close + 2 < size ? close + 2 : size;
        return ValueKind::Text;
    }
}

// Undoes the "%" coding in place and returns the new length. A "%" before any other byte, or at
// the very end, is taken literally: the writer never produces either, and keeping the bytes loses
// nothing.
std::size_t DecodeInPlace(char* text, std::size_t size) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < size; ++in) {
        char c = text[in];
        if (c == '%' && in + 1 < size) {
            switch (text[in + 1]) {
            case '%':
                ++in;
                break;
            case '0':
                c = '\0';
                ++in;
                break;
            case 'c':
                c = '\r';
                ++in;
                break;
            case 'n':
                c = '\n';
                ++in;
                break;
            default:
                break; // the next byte is read as itself
            }
        }
        text[out++] = c;
    }
    return out;
}

// Bytes the writer must not copy as they are: the "%" coding and the doubled double quote.
constexpr std::array<bool, 256> kSpecialBytes = [] {
    std::array<bool, 256> special{};
    special[static_cast<unsigned char>('%')] = true;
    special[0] = true;
    special[static_cast<unsigned char>('\r')] = true;
    special[static_cast<unsigned char>('\n')] = true;
    special[static_cast<unsigned char>('"')] = true;
    return special;
}();

// Collects output bytes in 64 KiB pieces for `write`; after a failed write it writes no more.
class ChunkWriter {
public:
    explicit ChunkWriter(const std::function<bool(std::string_view)>& write) : write_{write} {}

    void Put(char c) {
        if (used_ == kChunk) {
            Flush();
        }
        chunk_[used_++] = c;
    }
    void Put(std::string_view bytes) {
        while (!bytes.empty()) {
            if (used_ == kChunk) {
                Flush();
            }
            const std::size_t n = std::min(bytes.size(), kChunk - used_);
            std::memcpy(chunk_.data() + used_, bytes.data(), n);
            used_ += n;
            bytes.remove_prefix(n);
        }
    }
    bool Flush() {
        if (ok_ && used_ > 0) {
            ok_ = write_(std::string_view{chunk_.data(), used_});
        }
        used_ = 0;
        return ok_;
    }
    [[nodiscard]] bool Ok() const noexcept { return ok_; }
    // Room for `size` bytes written straight into the chunk and handed back with Commit; null
    // when `size` is more than a chunk holds.
    [[nodiscard]] char* Room(std::size_t size) {
        if (size > kChunk) {
            return nullptr;
        }
        if (kChunk - used_ < size) {
            Flush();
        }
        return chunk_.data() + used_;
    }
    void Commit(const char* end) { used_ = static_cast<std::size_t>(end - chunk_.data()); }

private:
    static constexpr std::size_t kChunk = 65536;
    const std::function<bool(std::string_view)>& write_;
    std::vector<char> chunk_ = std::vector<char>(kChunk);
    std::size_t used_{};
    bool ok_{true};
};

// The quoted text of the coded value. A double quote never occurs as the second byte of a
// double-byte character, so a byte scan finds exactly the quotes a character scan would.
// Writes at most 2 + 2 * value.size() bytes at `out` and returns their end.
char* WriteQuotedValue(char* out, std::string_view value) {
    *out++ = '"';
    for (const char c : value) {
        if (!kSpecialBytes[static_cast<unsigned char>(c)]) {
            *out++ = c;
            continue;
        }
        switch (c) {
        case '%':
            *out++ = '%';
            *out++ = '%';
            break;
        case '\0':
            *out++ = '%';
            *out++ = '0';
            break;
        case '\r':
            *out++ = '%';
            *out++ = 'c';
            break;
        case '\n':
            *out++ = '%';
            *out++ = 'n';
            break;
        default:
            *out++ = '"';
            *out++ = '"';
            break;
        }
    }
    *out++ = '"';
    return out;
}

// The same through the writer's pieces, for a value longer than one piece.
void PutQuotedValue(ChunkWriter& out, std::string_view value) {
    out.Put('"');
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (!kSpecialBytes[static_cast<unsigned char>(c)]) {
            continue;
        }
        out.Put(value.substr(runStart, i - runStart));
        runStart = i + 1;
        switch (c) {
        case '%':
            out.Put("%%");
            break;
        case '\0':
            out.Put("%0");
            break;
        case '\r':
            out.Put("%c");
            break;
        case '\n':
            out.Put("%n");
            break;
        default:
            out.Put("\"\"");
            break;
        }
    }
    out.Put(value.substr(runStart));
    out.Put('"');
}

void PutQuotedLabel(ChunkWriter& out, std::string_view label) {
    out.Put('"');
    for (const char c : label) {
        if (c == '"') {
            out.Put('"');
        }
        out.Put(c);
    }
    out.Put('"');
}

} // namespace

std::string_view StoredText(std::string_view text, std::size_t size) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    return text.substr(0, size);
}

TableTextReader::TableTextReader(std::span<const TFieldDef> fields) : fields_{fields}, records_{fields.size()} {}

void TableTextReader::Expect(std::size_t bytes) {
    // The file's bytes are kept whole; a record takes a line of 16 bytes or more in files this
    // program writes (and the records still grow past that). A file too large for one table
    // gets no room: it fails as it is read.
    if (bytes < 0xFFFFFFFFU) {
        records_.Reserve(bytes / 16, bytes);
    }
}

// The bytes are kept in the records' pool as they come, and the values are left where they stand
// in it (unquoted and decoded in place, which only ever shortens them): loading copies no value.
void TableTextReader::Feed(std::string_view bytes) {
    records_.AppendToPool(bytes);
    ReadLines(false);
}

TableRecords TableTextReader::Finish() {
    ReadLines(true); // the last line needs no line end
    TableRecords records{std::move(records_)};
    records_ = TableRecords{fields_.size()};
    binding_.clear();
    headerRead_ = false;
    unread_ = 0;
    return records;
}

// Lines end at any run of CR, LF and NUL bytes, so blank lines vanish; line ends in front of the
// first line are skipped as well, so a file that starts with one reads as if it did not. Without
// `all`, a last line that may go on in the next block is left for later.
void TableTextReader::ReadLines(bool all) {
    const std::string_view bytes = records_.Pool();
    std::size_t at = unread_;
    while (at < bytes.size()) {
        while (at < bytes.size() && IsLineEnd(bytes[at])) {
            ++at;
        }
        const std::size_t start = at;
        at = FindLineEnd(bytes, at);
        if (at == bytes.size() && !all) {
            unread_ = start;
            return;
        }
        if (at > start) {
            Line(start, at - start);
        }
    }
    unread_ = at;
}

void TableTextReader::Line(std::size_t offset, std::size_t size) {
    char* const line = records_.PoolData() + offset;
    if (!headerRead_) {
        headerRead_ = true;
        BindColumns(line, size);
        return;
    }
    const std::size_t record = records_.AddRecord();
    std::size_t position = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    for (const std::size_t field : binding_) {
        const ValueKind kind = NextValue(line, size, position, start, length);
        if (kind == ValueKind::None) {
            break;
        }
        if (kind != ValueKind::Text || field == kUnbound) {
            continue;
        }
        // Inside a line there is no NUL byte; only the "%0" code makes one, and the stored text
        // ends there.
        if (std::memchr(line + start, '%', length) != nullptr) {
            length = DecodeInPlace(line + start, length);
            const auto* nul = static_cast<const char*>(std::memchr(line + start, '\0', length));
            length = nul == nullptr ? length : static_cast<std::size_t>(nul - (line + start));
        }
        records_.SetSpan(record, field, offset + start, std::min(length, fields_[field].size));
    }
}

// Column k of the file goes to field binding_[k], or nowhere.
void TableTextReader::BindColumns(char* header, std::size_t size) {
    std::vector<std::string> upperLabels;
    upperLabels.reserve(fields_.size());
    for (const TFieldDef& field : fields_) {
        upperLabels.push_back(AsciiUpper(field.label));
    }
    std::size_t position = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    for (;;) {
        const ValueKind kind = NextValue(header, size, position, start, length);
        if (kind == ValueKind::None) {
            break;
        }
        std::size_t field = kUnbound;
        if (kind == ValueKind::Null) {
            // The k-th field; a null beyond the last field binds nothing, so such a header still
            // loads every line in full.
            field = binding_.size() < fields_.size() ? binding_.size() : kUnbound;
        } else {
            const std::string wanted = AsciiUpper(std::string_view{header + start, length});
            for (std::size_t f = 0; f < upperLabels.size(); ++f) {
                if (upperLabels[f] == wanted) {
                    field = f;
                    break;
                }
            }
        }
        binding_.push_back(field);
    }
}

TableRecords ParseTableText(std::string_view bytes, std::span<const TFieldDef> fields) {
    TableTextReader reader{fields};
    reader.Expect(bytes.size());
    reader.Feed(bytes);
    return reader.Finish();
}

bool WriteTableText(std::span<const TFieldDef> fields, const TableRecords& records,
                    const std::function<bool(std::string_view)>& write) {
    ChunkWriter out{write};
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f > 0) {
            out.Put(',');
        }
        PutQuotedLabel(out, fields[f].label);
    }
    out.Put(",\r\n");
    for (std::size_t r = 0; r < records.RecordCount() && out.Ok(); ++r) {
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f > 0) {
                out.Put(',');
            }
            if (const auto value = records.Get(r, f)) {
                if (char* room = out.Room(2 + 2 * value->size())) {
                    out.Commit(WriteQuotedValue(room, *value));
                } else {
                    PutQuotedValue(out, *value);
                }
            }
        }
        out.Put(",\r\n");
    }
    return out.Flush();
}

std::string FormatTableText(std::span<const TFieldDef> fields, const TableRecords& records) {
    std::string out;
    out.reserve(64 + records.StoredBytes() + records.RecordCount() * (fields.size() * 3 + 3));
    (void)WriteTableText(fields, records, [&out](std::string_view bytes) {
        out.append(bytes);
        return true;
    });
    return out;
}

bool IsCompleteTableText(std::string_view bytes, std::span<const TFieldDef> fields) {
    return !bytes.empty() && FormatTableText(fields, ParseTableText(bytes, fields)) == bytes;
}

} // namespace quellix
