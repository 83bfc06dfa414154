#include "app/runtime_helpers.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace quellix {
namespace {

using testing_support::NativeTempDir;
using testing_support::ReadAll;
using testing_support::WriteAll;

TEST(MakeUniqueName, NumbersTheNameUntilItIsFree) {
    const NativeTempDir folder;
    const std::string report = folder.File("report.txt");
    EXPECT_EQ(MakeUniqueName(report), report);
    WriteAll(folder.NativeFile("report.txt"), "x");
    EXPECT_EQ(MakeUniqueName(report), folder.File("report(1).txt"));
    WriteAll(folder.NativeFile("report(1).txt"), "x");
    EXPECT_EQ(MakeUniqueName(report), folder.File("report(2).txt"));

    WriteAll(folder.NativeFile("notes"), "x");
    EXPECT_EQ(MakeUniqueName(folder.File("notes")), folder.File("notes(1)"));
    WriteAll(folder.NativeFile("a.b.c"), "x");
    EXPECT_EQ(MakeUniqueName(folder.File("a.b.c")), folder.File("a.b(1).c"));
    // A dot in a directory name is no extension; a directory of that name does not count.
    std::filesystem::create_directory(folder.NativeFile("dir.d"));
    EXPECT_EQ(MakeUniqueName(folder.File("dir.d")), folder.File("dir.d"));
    WriteAll(folder.NativeFile("dir.d/plain"), "x");
    EXPECT_EQ(MakeUniqueName(folder.File("dir.d\\plain")), folder.File("dir.d\\plain(1)"));
}

TEST(OpenRetry, MakesRetriesPlusOneAttemptsAndWaitsBetweenThem) {
    const NativeTempDir folder;
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
        WriteAll(folder.NativeFile("late.txt"), "hello");
    }));
    EXPECT_EQ(waits, 1);
    char buffer[8]{};
    EXPECT_EQ(late.Handle.Read(buffer, sizeof buffer), 5);
}

TEST(OpenRetry, WriteCreatesOrEmptiesTheFile) {
    const NativeTempDir folder;
    WriteAll(folder.NativeFile("out.txt"), "old contents");
    TTextFile out{folder.File("out.txt"), {}};
    ASSERT_TRUE(OpenForWriteRetry(out, 0));
    EXPECT_TRUE(out.Handle.Write("new"));
    out.Handle.Close();
    EXPECT_EQ(ReadAll(folder.NativeFile("out.txt")), "new");

    int waits = 0;
    TTextFile inNewDir{folder.File("sub\\file.txt"), {}};
    EXPECT_TRUE(OpenForWriteRetry(inNewDir, 1, [&] {
        ++waits;
        std::filesystem::create_directory(folder.NativeFile("sub"));
    }));
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(OpenForWriteRetry(inNewDir, -1, [&] { ++waits; })); // no attempt at all
}

} // namespace
} // namespace quellix
