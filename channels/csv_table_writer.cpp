// Writing a channel table's file: the header of quoted labels, then every record's values
// "%"-coded and quoted, each line closed by the record delimiter and CR LF.
#include "channels/csv_table_format.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace quellix {

namespace {

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

// Collects output bytes in 64 KiB pieces for `write` (a longer line makes them as long as it);
// after a failed write it writes no more.
class ChunkWriter {
public:
    explicit ChunkWriter(const std::function<bool(std::string_view)>& write) : write_{write} {}

    void Put(char c) {
        if (used_ == chunk_.size()) {
            Flush();
        }
        chunk_[used_++] = c;
    }
    void Put(std::string_view bytes) {
        while (!bytes.empty()) {
            if (used_ == chunk_.size()) {
                Flush();
            }
            const std::size_t n = std::min(bytes.size(), chunk_.size() - used_);
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
    // Room for `size` bytes written straight into the chunk and handed back with Commit. A line
    // longer than a piece gets a piece of its own size.
    [[nodiscard]] char* Room(std::size_t size) {
        if (chunk_.size() - used_ < size) {
            Flush();
            chunk_.resize(std::max(size, kChunk));
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

// False when no byte of `value` is below 0x26. Every byte the coding or the quoting changes is
// ('"' 0x22, '%' 0x25, CR, LF, NUL) and few others are (blanks, "!#$"), so most values are copied
// whole; words of eight bytes are tested at once.
bool MayNeedCoding(std::string_view value) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    std::size_t at = 0;
    for (; at + 8 <= value.size(); at += 8) {
        std::uint64_t word{};
        std::memcpy(&word, value.data() + at, sizeof word);
        if (((word - kOnes * 0x26) & ~word & kHighBits) != 0) {
            return true;
        }
    }
    for (; at < value.size(); ++at) {
        if (static_cast<unsigned char>(value[at]) < 0x26) {
            return true;
        }
    }
    return false;
}

// The quoted text of the coded value. A double quote never occurs as the second byte of a
// double-byte character, so a byte scan finds exactly the quotes a character scan would.
// Writes at most 2 + 2 * value.size() bytes at `out` and returns their end.
char* WriteQuotedValue(char* out, std::string_view value) {
    *out++ = '"';
    if (!MayNeedCoding(value)) {
        std::memcpy(out, value.data(), value.size());
        out += value.size();
        *out++ = '"';
        return out;
    }
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
    constexpr std::string_view kRecordEnd = ",\r\n";
    std::vector<std::optional<std::string_view>> values(fields.size());
    for (std::size_t r = 0; r < records.RecordCount() && out.Ok(); ++r) {
        // Room for the whole line at most: every value coded at twice its size.
        std::size_t lineSize = kRecordEnd.size();
        for (std::size_t f = 0; f < fields.size(); ++f) {
            values[f] = records.Get(r, f);
            lineSize += 1 + (values[f] ? 2 + 2 * values[f]->size() : 0);
        }
        char* at = out.Room(lineSize);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f > 0) {
                *at++ = ',';
            }
            if (values[f]) {
                at = WriteQuotedValue(at, *values[f]);
            }
        }
        std::memcpy(at, kRecordEnd.data(), kRecordEnd.size());
        out.Commit(at + kRecordEnd.size());
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

} // namespace quellix
