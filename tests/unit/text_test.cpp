#include "support/text.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(ShiftJisLiterals, KeepTheirTrailBackslashBytes) {
    // The build turns the UTF-8 sources into Shift_JIS: 表 is 95 5C and ソ is 83 5C.
    EXPECT_EQ(std::string{"表ソ"}, std::string("\x95\x5c\x83\x5c"));
    EXPECT_EQ(std::string{"ﾋﾞｯﾄ"}, std::string("\xcb\xde\xaf\xc4"));
}

TEST(Trim, RemovesControlCharactersAndBlanks) {
    EXPECT_EQ(Trim(std::string_view{"\x01 \t a b \r\n\0", 10}), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(AsciiLower, LeavesDoubleByteCharactersAlone) {
    // ア is 83 41: its trail byte is an upper-case 'A' and must stay.
    EXPECT_EQ(AsciiLower("/T \"ア\" /CH"), "/t \"ア\" /ch");
    EXPECT_EQ(AsciiUpper("toolname"), "TOOLNAME");
    EXPECT_EQ(AsciiUpper("az{"), "AZ{");
    EXPECT_EQ(AsciiLower("アA"), "アa"); // a double-byte character first
    EXPECT_EQ(AsciiUpper("ッb"), "ッB"); // ッ is 83 62: its trail byte is a lower-case 'b'
    EXPECT_EQ(AsciiUpper("aッ"), "Aッ"); // also as the last character
}

TEST(PathHelpers, TrailByteBackslashIsNoDelimiter) {
    EXPECT_FALSE(EndsWithPathDelimiter("C:\\表"));
    EXPECT_FALSE(EndsWithPathDelimiter("C:\\ソ"));
    EXPECT_TRUE(EndsWithPathDelimiter("C:\\表\\"));
    EXPECT_FALSE(EndsWithPathDelimiter(""));
    EXPECT_EQ(IncludeTrailingBackslash("C:\\ソ"), "C:\\ソ\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
    EXPECT_EQ(ExtractFileName("C:\\表示\\ソフト"), "ソフト");
    EXPECT_EQ(ExtractFileName("C:ソフト"), "ソフト");
    EXPECT_EQ(ExtractFilePath("C:\\表示\\ソフト.txt"), "C:\\表示\\");
    EXPECT_EQ(ExtractFilePath("ソフト.txt"), "");
}

TEST(DeckNameFromArgument, DropsOneTrailingBackslashThenTakesLastComponent) {
    EXPECT_EQ(DeckNameFromArgument("C:\\Host\\reserve\\GigaPocket\\"), "GigaPocket");
    EXPECT_EQ(DeckNameFromArgument("D:\\Host\\reserve\\Deck1"), "Deck1");
    EXPECT_EQ(DeckNameFromArgument("D:\\x\\Deck1\\\\"), "");
    EXPECT_EQ(DeckNameFromArgument("C:\\"), "");
    EXPECT_EQ(DeckNameFromArgument("\\"), "");
    EXPECT_EQ(DeckNameFromArgument(""), "");
    EXPECT_EQ(DeckNameFromArgument("D:\\rec\\表示\\"), "表示");
    EXPECT_EQ(DeckNameFromArgument("D:\\録画\\表"), "表"); // its trail byte is 0x5C, not a backslash
    EXPECT_EQ(DeckNameFromArgument("D:\\録画\\表\\"), "表");
}

TEST(SjisPos, NeverMatchesOnATrailByte) {
    EXPECT_EQ(SjisPos("b", "abc"), 2U);
    EXPECT_EQ(SjisPos("x", "abc"), 0U);
    EXPECT_EQ(SjisPos("", "abc"), 0U);
    // ソ is 83 5C: a search for "\" must not find its trail byte.
    EXPECT_EQ(SjisPos("\\", "ソ"), 0U);
    EXPECT_EQ(SjisPos("\\", "ソ\\"), 3U);
}

TEST(Copy, ClipsLikeTheSubstringRules) {
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abcdef", 0, 3), "abc");
    EXPECT_EQ(Copy("abcdef", -5, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 5, 10), "ef");
    EXPECT_EQ(Copy("abcdef", 2, 0), "");
    EXPECT_EQ(Copy("abcdef", 2, -3), "");
}

TEST(StrToIntDef, ReadsWholeDecimalTextsOnly) {
    EXPECT_EQ(StrToIntDef("30", 0), 30);
    EXPECT_EQ(StrToIntDef("  7", 0), 7);
    EXPECT_EQ(StrToIntDef("-4", 0), -4);
    EXPECT_EQ(StrToIntDef("+5", 0), 5);
    EXPECT_EQ(StrToIntDef("+-5", 0), 0); // one sign only
    EXPECT_EQ(StrToIntDef("7 ", -1), -1);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToIntDef("x1", -1), -1);
    EXPECT_EQ(StrToIntDef("99999999999", -1), -1);
    EXPECT_EQ(TwoDigits(8), "08");
    EXPECT_EQ(TwoDigits(123), "123");
}

} // namespace
} // namespace quellix
