// The native command capture, which lets code built on it run stand-in programs in tests.
#include "app/command_capture.h"
#include "support/errors.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

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

// The run's stop and time limit end a command that would not end for half a minute; a stop
// already requested starts nothing; time that the window's handlers hold the wait (a pause) is
// not counted against the limit, and a command that ends meanwhile is read whole.
TEST(RunCommand, TheRunsStopOrTimeLimitEndsTheCommandAtOnce) {
    const auto seconds = [] {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    };
    const TempDir dir;
    const std::string marker = dir.Native("started");
    const struct {
        const char* what;
        std::string command;
        bool stopBefore;
        bool stopOnceStarted;  // a pump call presses Stop once the command has started
        std::uint32_t limitMs; // the run's limit
        int holdMs;            // the first pump call holds this long (a pause)
        CommandEndedBy endedBy;
        std::optional<std::string> output; // nullopt: not looked at
        bool started;
    } cases[] = {
        {"Stop while it runs", "sh -c \"touch '" + marker + "'; sleep 30\"", false, true, kToolTimeLimitMilliseconds, 0,
         CommandEndedBy::StopRequest, std::nullopt, true},
        {"past the limit", "sleep 30", false, false, 300, 0, CommandEndedBy::TimeLimit, std::nullopt, false},
        {"Stop before it starts", "sh -c \"touch '" + marker + "'\"", true, false, kToolTimeLimitMilliseconds, 0,
         CommandEndedBy::StopRequest, "", false},
        {"held by a pause longer than the limit", "sh -c \"touch '" + marker + "'; sleep 0.3; printf done\"", false,
         false, 2000, 3000, CommandEndedBy::Itself, "done", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(marker);
        TRunControl run;
        run.FStopRequested = c.stopBefore;
        run.ToolTimeLimitMilliseconds = c.limitMs;
        int pumps = 0;
        run.PumpMessages = [&] {
            ++pumps;
            if (pumps == 1 && c.holdMs > 0) {
                ::usleep(static_cast<useconds_t>(c.holdMs) * 1000);
            }
            if (c.stopOnceStarted && std::filesystem::exists(marker)) {
                run.FStopRequested = true;
            }
        };
        const double start = seconds();
        const auto result = RunCommand(c.command, {}, &run);
        ASSERT_TRUE(result);
        EXPECT_LT(seconds() - start, c.holdMs / 1000.0 + 5);
        EXPECT_EQ(result->End.EndedBy, c.endedBy);
        if (c.output) {
            EXPECT_EQ(result->Output, *c.output);
        }
        EXPECT_EQ(std::filesystem::exists(marker), c.started);
    }
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
