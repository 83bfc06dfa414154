#include "support/text_encoding.h"

#include "support/cp932_table.h"
#include "support/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace quellix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr unsigned char kFirstHalfWidth = 0xA1; // U+FF61
constexpr unsigned char kLastHalfWidth = 0xDF;  // U+FF9F

std::size_t LeadRow(unsigned char lead) noexcept {
    return lead <= 0x9F ? lead - 0x81U : lead - 0xE0U + 0x1FU;
}

// Unicode (BMP) to code page 932's double-byte code, 0 for none; built once from the table.
const std::array<std::uint16_t, 0x10000>& DoubleByteOfCodePoint() {
    static const auto table = [] {
        auto codes = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        codes->fill(0);
        const std::uint16_t* repeatedEnd = cp932::kRepeatedCodes + cp932::kRepeatedCount;
        for (std::size_t row = 0; row < cp932::kLeadCount; ++row) {
            const unsigned lead = row < 0x1F ? 0x81 + row : 0xE0 + row - 0x1F;
            for (std::size_t column = 0; column < cp932::kTrailCount; ++column) {
                const std::uint16_t c = cp932::kDoubleByte[row * cp932::kTrailCount + column];
                const auto code = static_cast<std::uint16_t>(lead << 8 | (0x40 + column));
                if (c != 0 && !std::binary_search(cp932::kRepeatedCodes, repeatedEnd, code)) {
                    (*codes)[c] = code;
                }
            }
        }
        return codes;
    }();
    return *table;
}

// The next UTF-8 character at `at`, which moves past it; nullopt (and one byte passed) when the
// bytes there are no valid UTF-8.
std::optional<char32_t> NextUtf8(std::string_view bytes, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80) {
        ++at;
        return first;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2, c = first & 0x1FU, least = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, c = first & 0x0FU, least = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, c = first & 0x07U, least = 0x10000;
    } else {
        ++at;
        return std::nullopt;
    }
    if (bytes.size() - at < length) {
        ++at;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0U) != 0x80) {
            ++at;
            return std::nullopt;
        }
        c = c << 6 | (next & 0x3FU);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return std::nullopt;
    }
    at += length;
    return c;
}

// True when `tail` is the start of a UTF-8 character cut off by the end of the bytes (the next
// block may hold the rest).
bool CutOffUtf8(std::string_view tail) {
    const auto first = static_cast<unsigned char>(tail[0]);
    const std::size_t length = first >= 0xC2 && first <= 0xDF   ? 2
                               : first >= 0xE0 && first <= 0xEF ? 3
                               : first >= 0xF0 && first <= 0xF4 ? 4
                                                                : 0;
    return tail.size() < length && std::all_of(tail.begin() + 1, tail.end(),
                                               [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) == 0x80; });
}

bool IsValidSjis(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        if (CodePointFromSjis(bytes, at) == kReplacement) {
            return false;
        }
    }
    return true;
}

// Collects the converted text, noting the line of the first character code page 932 lacks.
class SjisBuilder {
public:
    SjisBuilder(TextEncoding encoding, char substitute, std::size_t size) : substitute_{substitute} {
        out_.encoding = encoding;
        out_.text.reserve(size);
    }
    void Add(std::optional<char32_t> c) {
        if (c && *c < 0x80) {
            out_.text += static_cast<char>(*c);
            lines_ += *c == '\n' ? 1 : 0;
            return;
        }
        std::optional<std::string> bytes = c ? SjisFromCodePoint(*c) : std::nullopt;
        if (bytes) {
            out_.text += *bytes;
            return;
        }
        out_.text += substitute_;
        if (out_.unholdableLine == 0) {
            out_.unholdableLine = lines_ + 1;
        }
    }
    SjisText Take() { return std::move(out_); }

private:
    SjisText out_;
    char substitute_;
    std::size_t lines_{};
};

SjisText FromUtf8(std::string_view bytes, TextEncoding encoding, char substitute) {
    SjisBuilder out{encoding, substitute, bytes.size()};
    for (std::size_t at = 0; at < bytes.size();) {
        out.Add(NextUtf8(bytes, at));
    }
    return out.Take();
}

SjisText FromUtf16(std::string_view bytes, TextEncoding encoding, char substitute) {
    const bool big = encoding == TextEncoding::Utf16Be;
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(big ? (a << 8 | b) : (b << 8 | a));
    };
    SjisBuilder out{encoding, substitute, bytes.size()};
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                at += 2;
                out.Add(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        out.Add(c >= 0xD800 && c <= 0xDFFF ? std::nullopt : std::optional<char32_t>{c});
    }
    if (at < bytes.size()) { // half a unit at the end
        out.Add(std::nullopt);
    }
    return out.Take();
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::string& out, char32_t unit, bool bigEndian) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

} // namespace

std::string_view TextEncodingName(TextEncoding encoding) noexcept {
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf8Bom:
        return "UTF-8 (BOM付き)";
    case TextEncoding::Utf16Le:
        return "UTF-16LE";
    case TextEncoding::Utf16Be:
        return "UTF-16BE";
    case TextEncoding::ShiftJis:
        break;
    }
    return "シフトJIS";
}

std::optional<std::string> SjisFromCodePoint(char32_t c) {
    if (c < 0x80) {
        return std::string(1, static_cast<char>(c));
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
        return std::string(1, static_cast<char>(c - 0xFF61 + kFirstHalfWidth));
    }
    if (c > 0xFFFF) {
        return std::nullopt;
    }
    const std::uint16_t code = DoubleByteOfCodePoint()[c];
    if (code == 0) {
        return std::nullopt;
    }
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

char32_t CodePointFromSjis(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    if (lead >= kFirstHalfWidth && lead <= kLastHalfWidth) {
        return 0xFF61 + (lead - kFirstHalfWidth);
    }
    if (!IsSjisLeadByte(lead) || at >= text.size()) {
        return kReplacement;
    }
    const auto trail = static_cast<unsigned char>(text[at]);
    if (trail < 0x40 || trail > 0xFC) {
        return kReplacement;
    }
    const std::uint16_t c = cp932::kDoubleByte[LeadRow(lead) * cp932::kTrailCount + (trail - 0x40U)];
    if (c == 0) {
        return kReplacement;
    }
    ++at;
    return c;
}

std::size_t Utf8ValidPrefix(std::string_view bytes, bool& invalid) noexcept {
    std::size_t at = 0;
    while (at < bytes.size()) {
        // Runs of ASCII, eight bytes at a time.
        std::uint64_t word{};
        while (at + 8 <= bytes.size() &&
               (std::memcpy(&word, bytes.data() + at, 8), (word & 0x8080808080808080U) == 0)) {
            at += 8;
        }
        if (at >= bytes.size()) {
            break;
        }
        std::size_t next = at;
        if (!NextUtf8(bytes, next)) {
            invalid = invalid || !CutOffUtf8(bytes.substr(at));
            return at;
        }
        at = next;
    }
    return bytes.size();
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return TextEncoding::Utf8Bom;
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return TextEncoding::Utf16Le;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return TextEncoding::Utf16Be;
    }
    bool invalid = false;
    if (Utf8ValidPrefix(bytes, invalid) != bytes.size()) {
        return TextEncoding::ShiftJis;
    }
    bool beyondAscii = false;
    bool beyondTwoBytes = false;
    bool allHeld = true;
    for (std::size_t at = 0; at < bytes.size();) {
        const char32_t c = *NextUtf8(bytes, at);
        beyondAscii = beyondAscii || c >= 0x80;
        beyondTwoBytes = beyondTwoBytes || c >= 0x800;
        allHeld = allHeld && SjisFromCodePoint(c).has_value();
    }
    if (!beyondAscii) {
        return TextEncoding::ShiftJis; // ASCII reads the same either way
    }
    if ((allHeld && beyondTwoBytes) || !IsValidSjis(bytes)) {
        return TextEncoding::Utf8;
    }
    return TextEncoding::ShiftJis;
}

SjisText SjisFromFileBytes(std::string_view bytes, char substitute) {
    return SjisFromFileBytes(bytes, DetectTextEncoding(bytes), substitute);
}

SjisText SjisFromFileBytes(std::string_view bytes, TextEncoding encoding, char substitute) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return FromUtf8(bytes, encoding, substitute);
    case TextEncoding::Utf8Bom:
        return FromUtf8(bytes.substr(3), encoding, substitute);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return FromUtf16(bytes.substr(2), encoding, substitute);
    case TextEncoding::ShiftJis:
        break;
    }
    return SjisText{std::string{bytes}, TextEncoding::ShiftJis, 0};
}

std::string Utf16FromSjis(std::string_view sjis, bool bigEndian) {
    std::string out;
    out.reserve(sjis.size() * 2);
    for (std::size_t at = 0; at < sjis.size();) {
        AppendUtf16(out, CodePointFromSjis(sjis, at), bigEndian); // code page 932 holds nothing beyond the BMP
    }
    return out;
}

std::string Utf8FromSjis(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() * 2);
    for (std::size_t at = 0; at < sjis.size();) {
        AppendUtf8(out, CodePointFromSjis(sjis, at));
    }
    return out;
}

std::string Utf8FromUtf16(std::string_view utf16, bool bigEndian) {
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(utf16[i]);
        const auto b = static_cast<unsigned char>(utf16[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    std::string out;
    out.reserve(utf16.size() * 3 / 2);
    std::size_t at = 0;
    for (; at + 1 < utf16.size(); at += 2) {
        const char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < utf16.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                at += 2;
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16FromUtf8(std::string_view utf8, bool bigEndian) {
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t at = 0; at < utf8.size();) {
        const auto first = static_cast<unsigned char>(utf8[at]);
        // A lone surrogate carried by Utf8FromUtf16 is no valid UTF-8, so it is read here.
        if (first == 0xED && utf8.size() - at >= 3 && (static_cast<unsigned char>(utf8[at + 1]) & 0xE0U) == 0xA0) {
            AppendUtf16(out,
                        0xD000 | (static_cast<unsigned char>(utf8[at + 1]) & 0x3FU) << 6 |
                            (static_cast<unsigned char>(utf8[at + 2]) & 0x3FU),
                        bigEndian);
            at += 3;
            continue;
        }
        const std::size_t start = at;
        const std::optional<char32_t> c = NextUtf8(utf8, at);
        if (!c) {
            out += utf8[start]; // an odd last byte, as it came
        } else if (*c >= 0x10000) {
            AppendUtf16(out, 0xD800 + ((*c - 0x10000) >> 10), bigEndian);
            AppendUtf16(out, 0xDC00 + ((*c - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUtf16(out, *c, bigEndian);
        }
    }
    return out;
}

} // namespace quellix
