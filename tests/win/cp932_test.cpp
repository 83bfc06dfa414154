#include "support/cp932_win.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(Cp932, RoundTripsTrailBackslashCharacters) {
    const std::string sjis = "表示ソフト\\能";
    const std::wstring wide = WideFromSjis(sjis);
    EXPECT_EQ(wide, L"\u8868\u793a\u30bd\u30d5\u30c8\\\u80fd");
    EXPECT_EQ(SjisFromWide(wide), sjis);
}

} // namespace
} // namespace quellix
