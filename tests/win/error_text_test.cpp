#include "support/errors.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

namespace quellix {
namespace {

// The log shows a Windows error as the system's own message with its number; the number alone, or
// an English word of the program's, tells a Japanese user nothing.
TEST(SystemErrorText, GivesTheSystemsMessageOrAJapaneseTextWithTheNumber) {
    struct Case {
        std::uint32_t code;
        const char* exact; // nullptr: the system's own message, whatever its words
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, nullptr},
        {ERROR_FILE_NOT_FOUND, nullptr},
        {0x2000F00Du, "理由の分からない Windows のエラー (536932365)"}, // a code no system module describes
    };
    for (const Case& c : cases) {
        const std::string text = SystemErrorText(c.code);
        const std::string number = " (" + std::to_string(c.code) + ")";
        if (c.exact != nullptr) {
            EXPECT_EQ(text, c.exact);
            continue;
        }
        ASSERT_GT(text.size(), number.size()) << text;
        EXPECT_EQ(text.substr(text.size() - number.size()), number) << text;
        EXPECT_NE(text.rfind("error ", 0), 0u) << text;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    }
}

} // namespace
} // namespace quellix
