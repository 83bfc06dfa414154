#include "channels/csv_table_format.h"

#include "support/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

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

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// Blanks typed between a closing quote and the comma, from `at` on, and the byte after them: where
// the next value starts. Out of line: the writer never puts a blank there, and the quoted value
// stays small enough to be read inline.
[[gnu::noinline]] std::size_t PastTypedBlanks(const char* line, std::size_t size, std::size_t at) {
    while (at < size && IsBlank(line[at])) {
        ++at;
    }
    return at + 1 < size ? at + 1 : size;
}

// Where the next value starts after the closing quote at `close`: one byte after it, normally the
// delimiting comma, passed over, or blanks typed before the comma and then one byte.
inline std::size_t AfterClosingQuote(const char* line, std::size_t size, std::size_t close) {
    if (close + 1 < size && IsBlank(line[close + 1])) {
        return PastTypedBlanks(line, size, close + 1);
    }
    return close + 2 < size ? close + 2 : size;
}

// The rest of a quoted value from its first doubled double quote, at `close`: each pair stands for
// one double quote, and the text after it is moved up to follow it. See NextValue.
ValueKind UnquoteDoubled(char* line, std::size_t size, std::size_t& position, std::size_t start, std::size_t& length,
                         std::size_t close) {
    length = close - start;
    for (;;) {
        line[start + length++] = '"';
        position = close + 2;
        const auto* found = static_cast<const char*>(std::memchr(line + position, '"', size - position));
        close = found == nullptr ? size : static_cast<std::size_t>(found - line);
        std::memmove(line + start + length, line + position, close - position);
        length += close - position;
        if (close + 1 >= size || line[close + 1] != '"') {
            position = AfterClosingQuote(line, size, close);
            return ValueKind::Text;
        }
    }
}

// The quoted value whose opening quote is at `quote`: unquoted in place ("" inside stands for ")
// and given as the span of the line that now holds it. A quote left open runs to the end of the
// line; after the closing quote blanks and then one byte, normally the delimiting comma, are passed over.
inline ValueKind QuotedValue(char* line, std::size_t size, std::size_t quote, std::size_t& position, std::size_t& start,
                             std::size_t& length) {
    start = position = quote + 1;
    const auto* found = static_cast<const char*>(std::memchr(line + position, '"', size - position));
    const std::size_t close = found == nullptr ? size : static_cast<std::size_t>(found - line);
    if (close + 1 < size && line[close + 1] == '"') {
        return UnquoteDoubled(line, size, position, start, length, close);
    }
    length = close - start;
    position = AfterClosingQuote(line, size, close);
    return ValueKind::Text;
}

// The unquoted value whose text starts at `at`, up to the next comma, without the blanks typed
// after it; a cell of blanks alone is empty, so null. Out of line: the writer's values are quoted,
// and the quoted path stays small enough to be read inline.
[[gnu::noinline]] ValueKind UnquotedValue(const char* line, std::size_t size, std::size_t at, std::size_t& position,
                                          std::size_t& start, std::size_t& length) {
    const auto* comma = static_cast<const char*>(std::memchr(line + at, ',', size - at));
    std::size_t end = comma == nullptr ? size : static_cast<std::size_t>(comma - line);
    position = end < size ? end + 1 : size;
    // A blank is never a trail byte.
    while (end > at && IsBlank(line[end - 1])) {
        --end;
    }
    if (end == at) {
        return ValueKind::Null;
    }
    start = at;
    length = end - start;
    return ValueKind::Text;
}

// Reads the value at `position` of the line and moves past it. A value in double quotes (blanks
// before the opening quote skipped) is read as QuotedValue does. Any other value, as a spreadsheet
// writes one that holds no comma, quote or line break, is its text up to the next comma without
// the blanks around it; an empty one is null, as the writer puts a null value. Unquoting only ever shortens a value, so
// the bytes still to be read are never touched. Kept in the reading loop: a call per value costs
// a load of the program's own file a tenth of its time.
[[gnu::always_inline]] inline ValueKind NextValue(char* line, std::size_t size, std::size_t& position,
                                                  std::size_t& start, std::size_t& length) {
    if (position >= size) {
        return ValueKind::None;
    }
    std::size_t at = position;
    if (line[at] != '"') { // the writer's form first: it is what the program reads most
        if (line[at] == ',') {
            ++position;
            return ValueKind::Null;
        }
        while (at < size && IsBlank(line[at])) {
            ++at;
        }
        if (at >= size) {
            position = size;
            return ValueKind::None;
        }
    }
    if (line[at] == '"') {
        return QuotedValue(line, size, at, position, start, length);
    }
    return UnquotedValue(line, size, at, position, start, length);
}

// Undoes the "%" coding in place and returns the new length. A "%" before any other byte, or at
// the very end, is taken literally: the writer never produces either, and keeping the bytes loses
// nothing. So is "%0": it would stand for a NUL byte, which no value holds (a field keeps its
// text up to the first one), so the writer never produces it either, and a URL's "%0A" stays whole.
std::size_t DecodeInPlace(char* text, std::size_t size) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < size; ++in) {
        char c = text[in];
        if (c == '%' && in + 1 < size) {
            switch (text[in + 1]) {
            case '%':
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

} // namespace

std::string_view StoredText(std::string_view text, std::size_t size) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    return text.substr(0, size);
}

bool TableLoss::Any() const noexcept {
    return !unknownColumns.empty() || droppedValues > 0 ||
           std::any_of(longValues.begin(), longValues.end(), [](std::size_t n) { return n > 0; });
}

namespace {

// The user's word for a field of the three tables: the log never shows a field's inner name.
std::string FieldWord(const std::string& name) {
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"OldChannel", "元の放送局名"}, {"NewChannel", "新しい放送局名"},  {"VideoDeckName", "録画機名"},
        {"TVChannel", "放送局名"},      {"TVChannelNo", "チャンネル番号"}, {"TVURL", "URL"}};
    for (const auto& [field, word] : kWords) {
        if (field == name) {
            return std::string{word};
        }
    }
    return name;
}

} // namespace

std::string TableLossText(const std::string& path, std::span<const TFieldDef> fields, const TableLoss& loss) {
    if (!loss.Any()) {
        return {};
    }
    std::string parts;
    const auto part = [&parts](const std::string& text) { parts += (parts.empty() ? "" : "; ") + text; };
    if (!loss.unknownColumns.empty()) {
        std::string columns = "表にない列";
        for (const std::string& label : loss.unknownColumns) {
            columns += " \"" + label + "\"";
        }
        part(columns);
    }
    if (loss.droppedValues > 0) {
        part("表にない列の値 " + std::to_string(loss.droppedValues) + "個");
    }
    for (std::size_t f = 0; f < loss.longValues.size() && f < fields.size(); ++f) {
        if (loss.longValues[f] > 0) {
            part(std::to_string(fields[f].size) + "バイトを超える" + FieldWord(fields[f].name) + "の値 " +
                 std::to_string(loss.longValues[f]) + "個");
        }
    }
    return "テーブルファイル[" + path + "]には表に入らない内容があり、表を書き換えると失われます: " + parts;
}

TableTextReader::TableTextReader(std::span<const TFieldDef> fields) : fields_{fields}, records_{fields.size()} {
    loss_.longValues.assign(fields.size(), 0);
}

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
    if (!sjis_) {
        Decide();
    }
    if (sjis_) {
        ReadLines(false);
    }
}

// A byte order mark leaves the text to Finish; so do bytes that are valid UTF-8 so far. The first
// byte that is not tells Shift_JIS, as early as the first double-byte character mostly.
void TableTextReader::Decide() {
    const std::string_view pool = records_.Pool();
    if (pool.size() < 3 || pool.starts_with("\xEF\xBB\xBF") || pool.starts_with("\xFF\xFE") ||
        pool.starts_with("\xFE\xFF")) {
        return;
    }
    bool invalid = false;
    checked_ += Utf8ValidPrefix(pool.substr(checked_), invalid);
    sjis_ = invalid;
}

TableRecords TableTextReader::Finish(TableTextNotes* notes) {
    if (!sjis_) {
        const TextEncoding encoding = DetectTextEncoding(records_.Pool());
        if (encoding != TextEncoding::ShiftJis) {
            SjisText text = SjisFromFileBytes(records_.Pool(), encoding, '?');
            records_ = TableRecords{fields_.size()};
            records_.Reserve(text.text.size() / 16, text.text.size());
            records_.AppendToPool(text.text);
            encoding_ = encoding;
            unholdableLine_ = text.unholdableLine;
        }
    }
    ReadLines(true); // the last line needs no line end
    TableRecords records{std::move(records_)};
    records_ = TableRecords{fields_.size()};
    if (notes != nullptr) {
        notes->header = headerRead_;
        notes->loss = std::move(loss_);
        notes->encoding = encoding_;
        notes->unholdableLine = unholdableLine_;
    }
    sjis_ = false;
    checked_ = 0;
    encoding_ = TextEncoding::ShiftJis;
    unholdableLine_ = 0;
    loss_ = TableLoss{};
    loss_.longValues.assign(fields_.size(), 0);
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
    // One look for "%" in the whole line spares one in every value of the lines without any.
    const bool coded = std::memchr(line, '%', size) != nullptr;
    std::size_t position = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    // To the end of the line: values beyond the header's columns are bound to nothing (the
    // program's lines end with their last column's closing comma).
    for (std::size_t column = 0; position < size; ++column) {
        const ValueKind kind = NextValue(line, size, position, start, length);
        if (kind != ValueKind::Text) {
            continue;
        }
        const std::size_t field = column < binding_.size() ? binding_[column] : kUnbound;
        if (field == kUnbound) {
            ++loss_.droppedValues;
            continue;
        }
        // A line holds no NUL byte (it ends a line) and decoding makes none.
        if (coded && std::memchr(line + start, '%', length) != nullptr) {
            length = DecodeInPlace(line + start, length);
        }
        if (length > fields_[field].size) {
            ++loss_.longValues[field];
            length = fields_[field].size;
        }
        records_.SetSpan(record, field, offset + start, length);
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
        // A field takes the first column that names it; a later one would overwrite its value.
        if (field != kUnbound && std::find(binding_.begin(), binding_.end(), field) != binding_.end()) {
            field = kUnbound;
        }
        if (field == kUnbound && kind == ValueKind::Text) {
            loss_.unknownColumns.emplace_back(header + start, length);
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

bool IsCompleteTableText(std::string_view bytes, std::span<const TFieldDef> fields) {
    return !bytes.empty() && FormatTableText(fields, ParseTableText(bytes, fields)) == bytes;
}

} // namespace quellix
