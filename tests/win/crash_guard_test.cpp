// The crash handling in a program of its own: every way a program ends on a fault it cannot go
// on from writes one line and ends it at once with a non-zero exit code.
#include "app/command_capture.h"

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using win_test::BinDir;
using win_test::ReadBytes;
using win_test::TempDir;

TEST(CrashGuard, EveryFaultWritesOneLineAndEndsTheProgram) {
    const std::string start = "異常終了します: ";
    const std::string stopped = start + "続けられない誤りです (純粋仮想関数の呼び出しなど)\r\n";
    const struct {
        const char* how;
        DWORD exitCode;   // 0: any but 0
        std::string line; // the start of the one line written
    } cases[] = {
        {"terminate", 3, stopped},
        // A pure virtual call reaches std::terminate or, where the compiler leaves the function's
        // place empty, a call to a null address: either way a line and the end.
        {"purevirtual", 0, start},
        {"uncaught", 3, start + "処理されない例外です: \"boom\"\r\n"},
        {"thread", 3, start + "処理されない例外です: \"boom on a thread\"\r\n"},
        {"abort", 3, start + "abort が呼ばれました\r\n"},
        {"write", EXCEPTION_ACCESS_VIOLATION,
         start + "例外 0xC0000005 (アクセス違反: アドレス 0x0 の書き込み) 発生場所 crashing_program.exe+0x"},
    };
    const TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const std::string log = dir.File(std::string{c.how} + ".log");
        std::string commandLine{"\""};
        commandLine += BinDir();
        commandLine += "crashing_program.exe\" \"" + log + "\" " + c.how;
        const std::optional<CommandResult> result = RunCommand(commandLine);
        ASSERT_TRUE(result);
        if (c.exitCode != 0) {
            EXPECT_EQ(result->End.ExitCode, c.exitCode);
        } else {
            EXPECT_NE(result->End.ExitCode, 0U);
        }
        const std::string written = ReadBytes(log);
        EXPECT_TRUE(written.starts_with(c.line)) << written;
        EXPECT_EQ(written.find("\r\n"), written.size() - 2) << written;
    }
}

} // namespace
} // namespace quellix
