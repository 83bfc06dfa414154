#include "support/text_file.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace quellix {
namespace {

using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

TEST(OpenRetry, MakesRetriesPlusOneAttemptsAndWaitsBetweenThem) {
    const TempDir folder;
    int waits = 0;
    const RetryWait countWaits = [&] { ++waits; };
    TTextFile missing{folder.File("missing.txt"), {}};
    EXPECT_FALSE(OpenForReadRetry(missing, 0, countWaits));
    EXPECT_EQ(waits, 0);
    EXPECT_FALSE(OpenForReadRetry(missing, 2, countWaits));
    EXPECT_EQ(waits, 2); // no wait after the last attempt
    EXPECT_FALSE(missing.Handle.IsOpen());
    // The default wait is a real minute; with 0 retries it is never reached.
    EXPECT_FALSE(OpenForReadRetry(missing, 0));

    // The file appears during the first wait: the second attempt opens it.
    waits = 0;
    TTextFile late{folder.File("late.txt"), {}};
    EXPECT_TRUE(OpenForReadRetry(late, 3, [&] {
        ++waits;
        WriteAll(folder.Native("late.txt"), "hello");
    }));
    EXPECT_EQ(waits, 1);
    char buffer[8]{};
    EXPECT_EQ(late.Handle.Read(buffer, sizeof buffer), 5);
}

TEST(OpenRetry, WriteCreatesOrEmptiesTheFile) {
    const TempDir folder;
    WriteAll(folder.Native("out.txt"), "old contents");
    TTextFile out{folder.File("out.txt"), {}};
    ASSERT_TRUE(OpenForWriteRetry(out, 0));
    EXPECT_TRUE(out.Handle.Write("new"));
    out.Handle.Close();
    EXPECT_EQ(ReadAll(folder.Native("out.txt")), "new");

    int waits = 0;
    TTextFile inNewDir{folder.File("sub\\file.txt"), {}};
    EXPECT_TRUE(OpenForWriteRetry(inNewDir, 1, [&] {
        ++waits;
        std::filesystem::create_directory(folder.Native("sub"));
    }));
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(OpenForWriteRetry(inNewDir, -1, [&] { ++waits; })); // no attempt at all
}

} // namespace
} // namespace quellix
