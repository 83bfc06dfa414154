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

TEST(SettingsValues, ResolutionKeyWinsOverThePlainOne) {
    EXPECT_EQ(ResolutionSuffix(1280, 1024), "(1280x1024)");
    EXPECT_EQ(PickPositionValue("1,2,3,4", "5,6,7,8"), "1,2,3,4");
    EXPECT_EQ(PickPositionValue("", "5,6,7,8"), "5,6,7,8");
    EXPECT_EQ(PickPositionValue("", ""), std::nullopt);
}

TEST(SettingsValues, VersionAndShowCommand) {
    EXPECT_TRUE(VersionAllowsRestore(0, 0));
    EXPECT_TRUE(VersionAllowsRestore(3, 0));
    EXPECT_FALSE(VersionAllowsRestore(-1, 0));

    const struct {
        int showCmd;
        TWindowState state;
    } cases[] = {
        {1, TWindowState::Normal},    {5, TWindowState::Normal},    {9, TWindowState::Normal},
        {2, TWindowState::Minimized}, {6, TWindowState::Minimized}, {7, TWindowState::Minimized},
        {3, TWindowState::Maximized}, {0, TWindowState::Normal},    {4, TWindowState::Normal},
        {8, TWindowState::Normal},    {-2, TWindowState::Normal},   {10, TWindowState::Normal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowStateFromShowCmd(c.showCmd, TWindowState::Normal), c.state) << c.showCmd;
    }
    EXPECT_EQ(WindowStateFromShowCmd(4, TWindowState::Maximized), TWindowState::Maximized);
}

TEST(SettingsValues, StoredPropertyKey) {
    EXPECT_EQ(StoredPropertyKey("PdigiDir.Text"), "PdigiDir_Text");
    EXPECT_EQ(StoredPropertyKey("Plain"), "Plain");
}

} // namespace
} // namespace quellix::settings
