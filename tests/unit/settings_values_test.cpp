#include "support/settings_values.h"

#include <gtest/gtest.h>

namespace quellix::settings {
namespace {

TEST(SettingsValues, QuoteForWriteEnclosesOnlyValuesThatAreQuotedAlready) {
    const struct {
        const char* value;
        const char* written;
    } cases[] = {
        {"C:\\表ソ\\", "C:\\表ソ\\"}, {"\"C:\\x\"", "\"\"C:\\x\"\""}, {"'abc'", "\"'abc'\""}, {"\"", "\"\"\""},
        {"\"abc'", "\"abc'"},         {"'abc\"", "'abc\""},           {"a\"b\"", "a\"b\""},   {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteForWrite(c.value), c.written) << c.value;
    }
}

TEST(SettingsValues, ClipReadValueKeepsWholeDoubleByteCharacters) {
    EXPECT_EQ(ClipReadValue(std::string(2047, 'a')), std::string(2047, 'a'));
    EXPECT_EQ(ClipReadValue(std::string(3000, 'a')), std::string(2047, 'a'));
    // 表 at bytes 2046-2047 would be cut in half: it goes as a whole.
    const std::string value = std::string(2046, 'a') + "表b";
    EXPECT_EQ(ClipReadValue(value), std::string(2046, 'a'));
    EXPECT_EQ(ClipReadValue(std::string(2045, 'a') + "表b"), std::string(2045, 'a') + "表");
}

TEST(SettingsValues, FourNumbers) {
    EXPECT_EQ(FormatFourNumbers({309, 149, 754, 332}), "309,149,754,332");
    EXPECT_EQ(FormatFourNumbers({-1, -1, -32000, 0}), "-1,-1,-32000,0");

    using Words = std::array<std::optional<int>, 4>;
    const struct {
        const char* value;
        Words words;
    } cases[] = {
        {"1,2,3,4", {1, 2, 3, 4}},
        {"-1,-1,-32000,-32000", {-1, -1, -32000, -32000}},
        {"1, 2,3,4", {1, 2, 3, 4}},            // leading blanks are allowed
        {"1,2 ,3,4", {1, std::nullopt, 3, 4}}, // trailing ones are not
        {"1,2", {1, 2, std::nullopt, std::nullopt}},
        {"1,,3,4", {1, std::nullopt, 3, 4}},
        {"x,2,y,4", {std::nullopt, 2, std::nullopt, 4}},
        {"1,2,3,4,5", {1, 2, 3, 4}},
        {"", {std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
        {"99999999999,1,2,3", {std::nullopt, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFourNumbers(c.value), c.words) << c.value;
    }
}

} // namespace
} // namespace quellix::settings
