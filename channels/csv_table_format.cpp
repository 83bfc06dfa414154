#include "channels/csv_table_format.h"

#include "support/text.h"

#include <array>
#include <vector>

namespace quellix {

namespace {

constexpr std::size_t kUnbound = static_cast<std::size_t>(-1);

bool IsLineEnd(char c) noexcept {
    return c == '\r' || c == '\n' || c == '\0';
}

// Lines end at any run of CR, LF and NUL bytes, so blank lines vanish; line ends in front of the
// first line are skipped as well, so a file that starts with one reads as if it did not.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : bytes_{bytes} {}

    bool Next(std::string_view& line) {
        while (position_ < bytes_.size() && IsLineEnd(bytes_[position_])) {
            ++position_;
        }
        if (position_ >= bytes_.size()) {
            return false;
        }
        const std::size_t start = position_;
        while (position_ < bytes_.size() && !IsLineEnd(bytes_[position_])) {
            ++position_;
        }
        line = bytes_.substr(start, position_ - start);
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t position_{};
};

enum class ValueKind { None, Null, Text };

// Reads the value at `position` and moves past it. Bytes outside double quotes are skipped, so an
// unquoted value reads as null; a quoted value is unquoted into `text` ("" inside stands for ").
// A quote left open runs to the end of the line.
ValueKind NextValue(std::string_view line, std::size_t& position, std::string& text) {
    while (position < line.size() && line[position] != '"' && line[position] != ',') {
        ++position;
    }
    if (position >= line.size()) {
        return ValueKind::None;
    }
    if (line[position] == ',') {
        ++position;
        return ValueKind::Null;
    }
    ++position;
    text.clear();
    for (;;) {
        const std::size_t close = line.find('"', position);
        if (close == std::string_view::npos) {
            text.append(line.substr(position));
            position = line.size();
            return ValueKind::Text;
        }
        text.append(line.substr(position, close - position));
        if (close + 1 < line.size() && line[close + 1] == '"') {
            text.push_back('"');
            position = close + 2;
            continue;
        }
        // The closing quote and the one byte after it, normally the delimiting comma.
        position = close + 2 < line.size() ? close + 2 : line.size();
        return ValueKind::Text;
    }
}

// Undoes the "%" coding. A "%" before any other byte, or at the very end, is taken literally:
// the writer never produces either, and keeping the bytes loses nothing.
std::string_view DecodeValue(std::string_view coded, std::string& scratch) {
    if (coded.find('%') == std::string_view::npos) {
        return coded;
    }
    scratch.clear();
    for (std::size_t i = 0; i < coded.size(); ++i) {
        const char c = coded[i];
        if (c != '%' || i + 1 >= coded.size()) {
            scratch.push_back(c);
            continue;
        }
        switch (coded[i + 1]) {
        case '%':
            scratch.push_back('%');
            break;
        case '0':
            scratch.push_back('\0');
            break;
        case 'c':
            scratch.push_back('\r');
            break;
        case 'n':
            scratch.push_back('\n');
            break;
        default:
            scratch.push_back('%');
            continue; // the next byte is read as itself
        }
        ++i;
    }
    return scratch;
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

// The quoted text of the coded value. A double quote never occurs as the second byte of a
// double-byte character, so a byte scan finds exactly the quotes a character scan would.
void AppendQuotedValue(std::string& out, std::string_view value) {
    out.push_back('"');
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (!kSpecialBytes[static_cast<unsigned char>(c)]) {
            continue;
        }
        out.append(value.substr(runStart, i - runStart));
        runStart = i + 1;
        switch (c) {
        case '%':
            out.append("%%");
            break;
        case '\0':
            out.append("%0");
            break;
        case '\r':
            out.append("%c");
            break;
        case '\n':
            out.append("%n");
            break;
        default:
            out.append("\"\"");
            break;
        }
    }
    out.append(value.substr(runStart));
    out.push_back('"');
}

void AppendQuotedLabel(std::string& out, std::string_view label) {
    out.push_back('"');
    for (const char c : label) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

// Column k of the file goes to field binding[k], or nowhere.
std::vector<std::size_t> BindColumns(std::string_view header, std::span<const TFieldDef> fields) {
    std::vector<std::string> upperLabels;
    upperLabels.reserve(fields.size());
    for (const TFieldDef& field : fields) {
        upperLabels.push_back(AsciiUpper(field.label));
    }
    std::vector<std::size_t> binding;
    std::string text;
    std::size_t position = 0;
    for (;;) {
        const ValueKind kind = NextValue(header, position, text);
        if (kind == ValueKind::None) {
            break;
        }
        std::size_t field = kUnbound;
        if (kind == ValueKind::Null) {
            // The k-th field; a null beyond the last field binds nothing, so such a header still
            // loads every line in full.
            field = binding.size() < fields.size() ? binding.size() : kUnbound;
        } else {
            const std::string wanted = AsciiUpper(text);
            for (std::size_t f = 0; f < upperLabels.size(); ++f) {
                if (upperLabels[f] == wanted) {
                    field = f;
                    break;
                }
            }
        }
        binding.push_back(field);
    }
    return binding;
}

} // namespace

std::string_view StoredText(std::string_view text, std::size_t size) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    return text.substr(0, size);
}

TableRecords ParseTableText(std::string_view bytes, std::span<const TFieldDef> fields) {
    TableRecords records{fields.size()};
    LineCursor lines{bytes};
    std::string_view line;
    if (!lines.Next(line)) {
        return records;
    }
    const std::vector<std::size_t> binding = BindColumns(line, fields);
    // Room for a typical file: one record per 32 bytes, the values needing less than the file.
    records.Reserve(bytes.size() / 32, bytes.size());
    std::string text;
    std::string decoded;
    while (lines.Next(line)) {
        const std::size_t record = records.AddRecord();
        std::size_t position = 0;
        for (const std::size_t field : binding) {
            const ValueKind kind = NextValue(line, position, text);
            if (kind == ValueKind::None) {
                break;
            }
            if (kind == ValueKind::Text && field != kUnbound) {
                records.Set(record, field, StoredText(DecodeValue(text, decoded), fields[field].size));
            }
        }
    }
    return records;
}

std::string FormatTableText(std::span<const TFieldDef> fields, const TableRecords& records) {
    std::string out;
    out.reserve(64 + records.StoredBytes() + records.RecordCount() * (fields.size() * 3 + 3));
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f > 0) {
            out.push_back(',');
        }
        AppendQuotedLabel(out, fields[f].label);
    }
    out.append(",\r\n");
    for (std::size_t r = 0; r < records.RecordCount(); ++r) {
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f > 0) {
                out.push_back(',');
            }
            if (const auto value = records.Get(r, f)) {
                AppendQuotedValue(out, *value);
            }
        }
        out.append(",\r\n");
    }
    return out;
}

bool IsCompleteTableText(std::string_view bytes, std::span<const TFieldDef> fields) {
    return !bytes.empty() && FormatTableText(fields, ParseTableText(bytes, fields)) == bytes;
}

} // namespace quellix
