#include "app/command_capture.h"
#include "support/errors.h"

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using win_test::BinDir;
using win_test::CountingWindow;
using win_test::PostAppMessageLater;
using win_test::ReadBytes;
using win_test::TempDir;
using win_test::WriteBytes;

std::string Child(const std::string& arguments) {
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about "x" + std::string at -O3.
    std::string commandLine{"\""};
    commandLine += BinDir();
    commandLine += "capture_child.exe\" ";
    commandLine += arguments;
    return commandLine;
}

// What "capture_child print" writes.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('A' + (i * 7 + i / 251) % 26);
    }
    return bytes;
}

TEST(RunCommandCapture, CapturesStandardOutput) {
    struct Case {
        std::string arguments;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing", ""},
        {"line hello", "hello\r\n"},
        {"late 300 last-words", "last-words"}, // written just before the command ends
        {"stderr 3000000", "done"},            // much on standard error does not stall the command
        {"print 20000 1", Pattern(20000)},     // one byte per write
    };
    for (const auto& c : cases) {
        const auto output = RunCommandCapture(Child(c.arguments));
        ASSERT_TRUE(output) << c.arguments;
        EXPECT_EQ(*output, c.expected) << c.arguments;
    }
}

TEST(RunCommandCapture, CapturesLargeOutputWhole) {
    const std::size_t size = 12 * 1024 * 1024 + 17;
    const auto output = RunCommandCapture(Child("print " + std::to_string(size) + " 65536"));
    ASSERT_TRUE(output);
    ASSERT_EQ(output->size(), size);
    EXPECT_TRUE(*output == Pattern(size)); // not EXPECT_EQ: a mismatch would print megabytes
}

TEST(RunCommandCapture, FeedsItsInput) {
    const std::string input = Pattern(3 * 1024 * 1024);
    const auto output = RunCommandCapture(Child("echo"), input);
    ASSERT_TRUE(output);
    EXPECT_TRUE(*output == input);
}

TEST(RunCommandCapture, ReturnsWhenTheCommandEndsThoughAGrandchildHoldsThePipe) {
    // The grandchild writes "grandchild" after 4 s: a capture that waited for the pipe's end
    // would have it too.
    const auto output = RunCommandCapture(Child("grandchild 4000"));
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, "parent");
}

TEST(RunCommandCapture, HandlesWindowMessagesWhileTheCommandRuns) {
    const CountingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    const HANDLE poster = PostAppMessageLater(window.Handle());
    EXPECT_EQ(RunCommandCapture(Child("late 600 x")), "x");
    ::WaitForSingleObject(poster, INFINITE);
    ::CloseHandle(poster);
    EXPECT_EQ(CountingWindow::Count(), 1);
}

TEST(RunCommand, KeepsTheExitCodeAndTheStartOfTheErrorOutput) {
    const auto flood = RunCommand(Child("stderr 100000"));
    ASSERT_TRUE(flood);
    EXPECT_EQ(flood->Output, "done");
    EXPECT_EQ(flood->End.ErrorOutput, std::string(kMaxErrorOutput, 'e'));
    EXPECT_EQ(flood->End.ExitCode, 0U);
    const auto unknown = RunCommand(Child("no-such-mode")); // the child's exit code 2
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->End.ExitCode, 2U);
}

TEST(RunCommandCapture, GivesNothingForACommandThatCannotStart) {
    EXPECT_FALSE(RunCommandCapture("qx-no-such-program.exe /query"));
    EXPECT_FALSE(RunCommandCapture(""));
}

TEST(RunCommandToFile, WritesTheOutputOrLeavesAnExistingFileAlone) {
    const TempDir folder;
    const std::string task = folder.File("task.csv");
    WriteBytes(task, "previous listing");
    EXPECT_EQ(RunCommandToFile("qx-no-such-program.exe /query", task).Status, CaptureStatus::NotStarted);
    EXPECT_EQ(ReadBytes(task), "previous listing");

    EXPECT_EQ(RunCommandToFile(Child("nothing"), task).Status, CaptureStatus::Captured);
    EXPECT_EQ(::GetFileAttributesW(WideFromSjis(task).c_str()) == INVALID_FILE_ATTRIBUTES, false);
    EXPECT_EQ(ReadBytes(task), "");

    (void)RunCommandToFile(Child("line x,y"), folder.File("表示.csv")); // a Japanese name in any locale
    EXPECT_EQ(ReadBytes(folder.File("表示.csv")), "x,y\r\n");

    const FileCapture unwritable = RunCommandToFile(Child("nothing"), folder.File("missing\\task.csv"));
    EXPECT_EQ(unwritable.Status, CaptureStatus::FileNotWritten);
    EXPECT_EQ(unwritable.ErrorCode, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(RunCommandToFile(Child("line x"), "").Status, CaptureStatus::Captured); // no file name: nothing written
}

} // namespace
} // namespace quellix
