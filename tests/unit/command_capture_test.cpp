// The native command capture, which lets code built on it run stand-in programs in tests.
#include "app/command_capture.h"
#include "support/errors.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

TEST(RunCommandCapture, ReturnsStandardOutputOnly) {
    EXPECT_EQ(RunCommandCapture("sh -c \"printf 'a b'; printf err >&2\""), "a b");
    EXPECT_EQ(RunCommandCapture("true"), "");
    EXPECT_EQ(RunCommandCapture("cat", "fed input"), "fed input");
    // A command that ends without reading its input gets what fits: the rest is given up.
    EXPECT_EQ(RunCommandCapture("true", std::string(4 << 20, 'x')), "");
    EXPECT_EQ(RunCommandCapture("sh -c \"sleep 0.2; printf late\""), "late");
    // Large output on both pipes does not stall either side.
    const auto big = RunCommandCapture("sh -c \"head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2\"");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size(), 3000000U);
}

TEST(RunCommand, KeepsTheExitCodeAndTheStartOfTheErrorOutput) {
    const auto failed = RunCommand("sh -c \"printf out; printf 'ERROR: denied' >&2; exit 3\"");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->Output, "out");
    EXPECT_EQ(failed->End.ErrorOutput, "ERROR: denied");
    EXPECT_EQ(failed->End.ExitCode, 3U);
    const auto flood = RunCommand("sh -c \"head -c 3000000 /dev/zero >&2\"");
    ASSERT_TRUE(flood);
    EXPECT_EQ(flood->End.ErrorOutput, std::string(kMaxErrorOutput, '\0'));
    EXPECT_EQ(flood->End.ExitCode, 0U);
    EXPECT_EQ(RunCommand("sh -c \"kill -9 $$\"")->End.ExitCode, 128U + 9U);
}

TEST(RunCommandCapture, ReturnsWhenTheCommandEndsThoughAChildKeepsThePipe) {
    // Waiting for the pipe's end would also collect "late".
    EXPECT_EQ(RunCommandCapture("sh -c \"(sleep 2; echo late) & echo done\""), "done\n");
}

TEST(RunCommandCapture, GivesNothingForACommandThatCannotStart) {
    EXPECT_FALSE(RunCommandCapture("qx-no-such-program-here /x"));
    EXPECT_FALSE(RunCommandCapture(""));
}

TEST(RunCommandToFile, WritesTheOutputOrLeavesTheFileAlone) {
    const TempDir dir;
    WriteAll(dir.Native("task.csv"), "previous");
    EXPECT_EQ(RunCommandToFile("qx-no-such-program-here", dir.File("task.csv")).Status, CaptureStatus::NotStarted);
    EXPECT_EQ(ReadAll(dir.Native("task.csv")), "previous");
    EXPECT_EQ(RunCommandToFile("true", dir.File("task.csv")).Status, CaptureStatus::Captured);
    EXPECT_TRUE(std::filesystem::exists(dir.Native("task.csv")));
    EXPECT_EQ(ReadAll(dir.Native("task.csv")), "");
    (void)RunCommandToFile("printf x,y", dir.File("task.csv"));
    EXPECT_EQ(ReadAll(dir.Native("task.csv")), "x,y");
    const auto ended = RunCommandToFile("sh -c \"printf z; printf e >&2; exit 2\"", dir.File("task.csv"));
    EXPECT_EQ(ended.Status, CaptureStatus::Captured);
    EXPECT_EQ(ended.End.ExitCode, 2U);
    EXPECT_EQ(ended.End.ErrorOutput, "e");
    EXPECT_EQ(ReadAll(dir.Native("task.csv")), "z");
    const FileCapture unwritable = RunCommandToFile("sh -c \"exit 3\"", dir.File("missing\\task.csv"));
    EXPECT_EQ(unwritable.Status, CaptureStatus::FileNotWritten);
    EXPECT_EQ(unwritable.End.ExitCode, 3U);
    EXPECT_NE(unwritable.ErrorCode, 0U);
}

} // namespace
} // namespace quellix
