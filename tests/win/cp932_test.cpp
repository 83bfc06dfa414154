#include "support/cp932_win.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quellix {
namespace {

TEST(Cp932, RoundTripsTrailBackslashCharacters) {
    const std::string sjis = "表示ソフト\\能";
    const std::wstring wide = WideFromSjis(sjis);
    EXPECT_EQ(wide, L"\u8868\u793a\u30bd\u30d5\u30c8\\\u80fd");
    EXPECT_EQ(SjisFromWide(wide), sjis);
}

// A character code page 932 lacks is never written as a look-alike (é as e, which would name
// another path): it is "?", and the exact conversion reports the loss.
TEST(Cp932, ReportsWhatTheCodePageCannotHold) {
    const struct {
        const wchar_t* wide;
        const char* shown; // null: not compared
        bool exact;
    } cases[] = {
        {L"C:\\\u8868\u30bd", "C:\\表ソ", true},
        {L"C:\\Users\\Ren\u00e9", "C:\\Users\\Ren?", false},
        {L"C:\\\U00020BB7\u91ce", nullptr, false}, // outside the 16-bit plane: one "?" or two
        {L"", "", true},
    };
    for (const auto& c : cases) {
        const std::string shown = SjisFromWide(c.wide);
        if (c.shown != nullptr) {
            EXPECT_EQ(shown, c.shown);
        }
        const std::optional<std::string> exact = ExactSjisFromWide(c.wide);
        EXPECT_EQ(exact.has_value(), c.exact) << shown;
        if (exact) {
            EXPECT_EQ(*exact, shown);
        }
    }
}

} // namespace
} // namespace quellix
