#include "support/crash_text.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(CrashText, SaysWhatHappenedAndWhereInOneLine) {
    const std::string start = "異常終了します: ";
    const struct {
        CrashSite site;
        std::string text;
    } cases[] = {
        {{0xC0000005, 0, "", 0, 8, 0},
         "例外 0xC0000005 (アクセス違反: アドレス 0x0 の実行) 発生場所 0x0 (どのモジュールの中でもありません)"},
        {{0xC0000005, 0x140001A2B, "quellix.exe", 0x140000000, 1, 0x10},
         "例外 0xC0000005 (アクセス違反: アドレス 0x10 の書き込み) 発生場所 quellix.exe+0x1A2B"},
        {{0xC00000FD, 0x7FF0, "ntdll.dll", 0x7000, std::nullopt, 0},
         "例外 0xC00000FD (スタックオーバーフロー) 発生場所 ntdll.dll+0xFF0"},
        {{0x12345678, 0x10, "", 0, std::nullopt, 0},
         "例外 0x12345678 (不明な例外) 発生場所 0x10 (どのモジュールの中でもありません)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CrashText(c.site), start + c.text);
    }
}

TEST(TerminateText, NamesTheUncaughtExceptionOnOneLine) {
    const std::string start = "異常終了します: ";
    EXPECT_EQ(TerminateText(false, std::nullopt), start + "続けられない誤りです (純粋仮想関数の呼び出しなど)");
    EXPECT_EQ(TerminateText(true, std::nullopt), start + "処理されない例外です");
    EXPECT_EQ(TerminateText(true, "bad\r\nthing"), start + "処理されない例外です: \"bad  thing\"");
    EXPECT_EQ(TerminateText(true, std::string(400, 'x')),
              start + "処理されない例外です: \"" + std::string(300, 'x') + "\"");
}

} // namespace
} // namespace quellix
