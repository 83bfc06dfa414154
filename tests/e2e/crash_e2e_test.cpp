// A crash of the running program, made from outside: a thread started in it at a null address.
// It leaves one error line in the log and a non-zero exit code, and nothing waiting: no dialog,
// no debugger, no process.
#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quellix::e2e {
namespace {

TEST(CrashTest, AThreadThatFaultsLogsOneLineAndEndsTheProgram) {
    TempDir root;
    SetRootPath(root.Path());
    // The settings window stays open until the crash.
    PROCESS_INFORMATION process = StartQuellix({root.Path(), L"/c"});
    ASSERT_NE(WaitForMainWindow(process.dwProcessId), nullptr);
    const auto logged = [&] {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        return std::find(lines.begin(), lines.end(), "Quellix") != lines.end();
    };
    ASSERT_TRUE(WaitUntil(logged));
    const std::vector<std::string> before = ReadLines(root / L"pex.log");

    const UniqueKernelHandle thread{::CreateRemoteThread(process.hProcess, nullptr, 0, nullptr, nullptr, 0, nullptr)};
    ASSERT_TRUE(thread) << ::GetLastError();
    const DWORD processId = process.dwProcessId;
    const RunResult result = WaitAndClose(process);

    ASSERT_TRUE(result.finished) << "the program was left waiting";
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(LiveChildren(processId), 0) << "a debugger or another process was left";
    std::vector<std::string> lines = ReadLines(root / L"pex.log");
    ASSERT_EQ(lines.size(), before.size() + 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), lines.begin()));
    EXPECT_EQ(lines.back(), "pex.log: 異常終了します: 例外 0xC0000005 (アクセス違反: アドレス 0x0 の実行) 発生場所 0x0 "
                            "(どのモジュールの中でもありません) (C.ERROR)");
}

} // namespace
} // namespace quellix::e2e
