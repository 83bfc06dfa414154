#include "app/reserve_cleanup.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quellix {
namespace {

using testing_support::TempDir;

TEST(DeleteOldReservationFiles, DeletesTheTvpiFilesUnlessStoppedOrSkipped) {
    const struct {
        const char* name;
        bool stop;
        bool skip;
        std::vector<std::string> left;
    } cases[] = {
        {"a run", false, false, {"keep.txt", "sub.tvpi"}},
        {"stopped", true, false, {"a.tvpi", "b.TVPI", "keep.txt", "sub.tvpi"}},
        {"skipped", false, true, {"a.tvpi", "b.TVPI", "keep.txt", "sub.tvpi"}},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        for (const char* name : {"a.tvpi", "b.TVPI", "keep.txt"}) {
            dir.Write(name, "x");
        }
        std::filesystem::create_directory(dir.Native("sub.tvpi")); // a folder is no reservation
        TRunControl run;
        run.FStopRequested = c.stop;
        run.FSkipRequested = c.skip;
        DeleteOldReservationFiles(dir.Path() + "\\", run);
        EXPECT_EQ(dir.Names(), c.left) << c.name;
        EXPECT_FALSE(run.FSkipRequested) << c.name;
    }
}

// An empty setting names no directory: the current directory's files are not the host's.
TEST(DeleteOldReservationFiles, AnEmptyReserveDirectoryDeletesNothing) {
    const TempDir dir;
    dir.Write("a.tvpi", "x");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Native());
    TRunControl run;
    DeleteOldReservationFiles("", run);
    std::filesystem::current_path(before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.tvpi"});
}

} // namespace
} // namespace quellix
