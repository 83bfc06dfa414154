// Telling the encodings of a saved file apart, and converting them to Shift_JIS without ever
// writing a character as a look-alike.
#include "support/cp932_table.h"
#include "support/text_encoding.h"
#include "tests/unit/unicode_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace quellix {
namespace {

// One station name three ways: the literal in Shift_JIS (the program's character set), UTF-8 and
// UTF-16.
struct Name {
    std::string sjis;
    std::u8string utf8;
    std::u16string utf16;
};

// Real stations, and every Japanese station name the other tests use.
const std::vector<Name>& StationNames() {
    static const std::vector<Name> names = {
        {"NHK総合", u8"NHK総合", u"NHK総合"},
        {"ＮＨＫ総合", u8"ＮＨＫ総合", u"ＮＨＫ総合"},
        {"ＮＨＫＥテレ", u8"ＮＨＫＥテレ", u"ＮＨＫＥテレ"},
        {"日本テレビ", u8"日本テレビ", u"日本テレビ"},
        {"ＴＢＳ", u8"ＴＢＳ", u"ＴＢＳ"},
        {"フジテレビ", u8"フジテレビ", u"フジテレビ"},
        {"テレビ朝日", u8"テレビ朝日", u"テレビ朝日"},
        {"テレビ東京", u8"テレビ東京", u"テレビ東京"},
        {"ＴＯＫＹＯ　ＭＸ", u8"ＴＯＫＹＯ　ＭＸ", u"ＴＯＫＹＯ　ＭＸ"},
        {"放送大学", u8"放送大学", u"放送大学"},
        {"ＢＳ日テレ", u8"ＢＳ日テレ", u"ＢＳ日テレ"},
        {"ＢＳ朝日", u8"ＢＳ朝日", u"ＢＳ朝日"},
        {"ＢＳ－ＴＢＳ", u8"ＢＳ－ＴＢＳ", u"ＢＳ－ＴＢＳ"},
        {"ＢＳテレ東", u8"ＢＳテレ東", u"ＢＳテレ東"},
        {"ＢＳフジ", u8"ＢＳフジ", u"ＢＳフジ"},
        {"ＷＯＷＯＷプライム", u8"ＷＯＷＯＷプライム", u"ＷＯＷＯＷプライム"},
        {"ＢＳ１１イレブン", u8"ＢＳ１１イレブン", u"ＢＳ１１イレブン"},
        {"ＢＳ１２トゥエルビ", u8"ＢＳ１２トゥエルビ", u"ＢＳ１２トゥエルビ"},
        {"テレビ神奈川", u8"テレビ神奈川", u"テレビ神奈川"},
        {"ＭＢＳ毎日放送", u8"ＭＢＳ毎日放送", u"ＭＢＳ毎日放送"},
        {"ＡＢＣテレビ", u8"ＡＢＣテレビ", u"ＡＢＣテレビ"},
        {"関西テレビ", u8"関西テレビ", u"関西テレビ"},
        {"読売テレビ", u8"読売テレビ", u"読売テレビ"},
        {"中京テレビ", u8"中京テレビ", u"中京テレビ"},
        {"ｔｖｋ", u8"ｔｖｋ", u"ｔｖｋ"},
        {"ﾃﾚﾋﾞ東京", u8"ﾃﾚﾋﾞ東京", u"ﾃﾚﾋﾞ東京"},
        {"ﾎｲ", u8"ﾎｲ", u"ﾎｲ"}, // half-width katakana whose bytes also spell "β" in UTF-8
        {"ＮＨＫ総合・東京", u8"ＮＨＫ総合・東京", u"ＮＨＫ総合・東京"},
        {"ソフト放送", u8"ソフト放送", u"ソフト放送"},
        {"表示テレビ", u8"表示テレビ", u"表示テレビ"},
        {"能楽表示テレビ", u8"能楽表示テレビ", u"能楽表示テレビ"},
        {"関東広域テレビジョン放送局網", u8"関東広域テレビジョン放送局網", u"関東広域テレビジョン放送局網"},
        {"ソニー表能", u8"ソニー表能", u"ソニー表能"},
        {"新局名ソ", u8"新局名ソ", u"新局名ソ"},
        {"短名局", u8"短名局", u"短名局"},
        {"ソフト局", u8"ソフト局", u"ソフト局"},
        {"旧局名", u8"旧局名", u"旧局名"},
        {"Ａ局", u8"Ａ局", u"Ａ局"},
        {"局一", u8"局一", u"局一"},
        {"録画ソ", u8"録画ソ", u"録画ソ"},
        {"西部", u8"西部", u"西部"},
        {"亜", u8"亜", u"亜"},
        {"深夜便", u8"深夜便", u"深夜便"},
    };
    return names;
}

std::string Bytes(std::u8string_view text) {
    return testing::Utf8Bytes(text);
}

std::string Bytes(std::u16string_view text, bool bigEndian) {
    return testing::Utf16Bytes(text, bigEndian);
}

// A Shift_JIS file is never read as UTF-8, alone or as a line of a table; the same names saved in
// UTF-8 (with or without a byte order mark) and UTF-16 read as the Shift_JIS text.
TEST(TextEncoding, EveryStationNameReadsAsItsShiftJisTextInEveryEncoding) {
    for (const Name& name : StationNames()) {
        SCOPED_TRACE(name.sjis);
        const std::string line = "\"deck\",\"" + name.sjis + "\",\"27\",\r\n";
        for (const std::string& sjis : {name.sjis, line, "12=" + name.sjis + ",1\r\n"}) {
            EXPECT_EQ(DetectTextEncoding(sjis), TextEncoding::ShiftJis);
            EXPECT_EQ(SjisFromFileBytes(sjis).text, sjis);
        }
        const struct {
            std::string bytes;
            TextEncoding encoding;
        } saved[] = {
            {Bytes(u8"\"deck\",\"" + name.utf8 + u8"\",\"27\",\r\n"), TextEncoding::Utf8},
            {"\xEF\xBB\xBF" + Bytes(u8"\"deck\",\"" + name.utf8 + u8"\",\"27\",\r\n"), TextEncoding::Utf8Bom},
            {Bytes(u"\"deck\",\"" + name.utf16 + u"\",\"27\",\r\n", false), TextEncoding::Utf16Le},
            {Bytes(u"\"deck\",\"" + name.utf16 + u"\",\"27\",\r\n", true), TextEncoding::Utf16Be},
        };
        for (const auto& file : saved) {
            const SjisText text = SjisFromFileBytes(file.bytes);
            EXPECT_EQ(text.encoding, file.encoding);
            EXPECT_EQ(text.text, line);
            EXPECT_EQ(text.unholdableLine, 0U);
        }
    }
}

// Bytes that are no name of the code page: what is valid UTF-8 only there, pure ASCII (the same
// either way), and characters code page 932 cannot hold, which are never written as look-alikes.
TEST(TextEncoding, ReadsWhatIsNoShiftJisAndMarksWhatItCannotHold) {
    const struct {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string text;
        std::size_t unholdableLine;
    } cases[] = {
        {"ASCII", "12=NHK,1\r\n", TextEncoding::ShiftJis, "12=NHK,1\r\n", 0},
        {"UTF-8 that is no Shift_JIS", Bytes(u8"局\r\n"), TextEncoding::Utf8, "局\r\n", 0},
        {"two-byte UTF-8 that is no Shift_JIS", Bytes(u8"×\n"), TextEncoding::Utf8, "×\n", 0},
        {"a look-alike is no character", "\xEF\xBB\xBF" + Bytes(u8"a\ncafé\n〜¥\n"), TextEncoding::Utf8Bom,
         "a\ncaf?\n??\n", 2},
        {"UTF-8 without a mark, with a character the code page lacks", Bytes(u8"局\n𠮷\n"), TextEncoding::Utf8,
         "局\n?\n", 2},
        {"broken UTF-8 after a mark", "\xEF\xBB\xBF\xE5\xB1\n\x80", TextEncoding::Utf8Bom, "??\n?", 1},
        {"a surrogate pair and a lone surrogate", Bytes(u"\U00020BB7\n\xD800x", false), TextEncoding::Utf16Le, "?\n?x",
         1},
        {"half a unit at the end",
         std::string("\xFF\xFE"
                     "a\x00"
                     "b",
                     5),
         TextEncoding::Utf16Le, "a?", 1},
        {"NEC and IBM characters", Bytes(u8"①Ⅰ≒ⅰ髙"), TextEncoding::Utf8, "\x87\x40\x87\x54\x81\xE0\xFA\x40\xFB\xFC",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SjisText text = SjisFromFileBytes(c.bytes);
        EXPECT_EQ(text.encoding, c.encoding);
        EXPECT_EQ(text.text, c.text);
        EXPECT_EQ(text.unholdableLine, c.unholdableLine);
    }
}

// Every code of the code page maps to its character and back to itself, but for the characters
// it holds twice, which are written with the code the code page chose.
TEST(TextEncoding, EveryDoubleByteCodeRoundTrips) {
    std::size_t characters = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC && (lead <= 0x9F || lead >= 0xE0); ++trail) {
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            std::size_t at = 0;
            const char32_t c = CodePointFromSjis(code, at);
            if (c == 0xFFFD) {
                continue;
            }
            ++characters;
            EXPECT_EQ(at, 2U);
            const auto back = SjisFromCodePoint(c);
            ASSERT_TRUE(back.has_value()) << lead << " " << trail;
            const bool repeated =
                std::binary_search(cp932::kRepeatedCodes, cp932::kRepeatedCodes + cp932::kRepeatedCount,
                                   static_cast<std::uint16_t>(lead << 8 | trail));
            EXPECT_EQ(*back == code, !repeated) << lead << " " << trail;
            std::size_t again = 0;
            EXPECT_EQ(CodePointFromSjis(*back, again), c);
        }
    }
    EXPECT_EQ(characters, 9604U);
    std::size_t at = 0;
    EXPECT_EQ(CodePointFromSjis("\xB1", at), U'\uFF71'); // half-width katakana
    EXPECT_EQ(SjisFromCodePoint(U'\uFF9F'), std::optional<std::string>{"\xDF"});
    EXPECT_EQ(Utf16FromSjis("aｱ表", false), std::string("a\x00\x71\xFF\x68\x88", 6));
    EXPECT_EQ(Utf16FromSjis("\x81", true), std::string("\xFF\xFD", 2));
}

// A file comes in blocks: a character cut by the end of one is no fault, other bytes are.
TEST(TextEncoding, ValidUtf8PrefixWaitsForACutCharacter) {
    const struct {
        std::string bytes;
        std::size_t prefix;
        bool invalid;
    } cases[] = {
        {"abcdefghijklmnop", 16, false},
        {"abcdefgh\xE5\xB1", 8, false},      // 局 cut off
        {"abcdefgh\xE5\xB1\x80", 11, false}, // whole
        {"abcdefgh\xE5"
         "a",
         8, true},                     // not continued
        {"abc\x82\x6D", 3, true},      // Ｎ in Shift_JIS
        {"\xC0\x80", 0, true},         // overlong
        {"\xED\xA0\x80", 0, true},     // surrogate
        {"\xF4\x90\x80\x80", 0, true}, // past U+10FFFF
        {"\xF0\x9F", 0, false},
    };
    for (const auto& c : cases) {
        bool invalid = false;
        EXPECT_EQ(Utf8ValidPrefix(c.bytes, invalid), c.prefix) << c.bytes;
        EXPECT_EQ(invalid, c.invalid) << c.bytes;
    }
}

} // namespace
} // namespace quellix
