// A table file larger than the program can hold is refused before a byte of it is read, with the
// system's "file too large" error: its 64-bit size never wraps to a small one (as it would cut
// down to the 32-bit program's size_t), and nothing is half loaded.
#include "channels/table_file.h"
#include "support/errors.h"
#include "table_test_support.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quellix {
namespace {

using testing_support::TempDir;

// Counts the bytes read, and ends the file after the first megabyte so that a file that is read
// after all does not take the test's memory.
class CountingFileSystem : public TableFileSystem {
public:
    long long Read(os::File& file, void* buffer, std::size_t size) override {
        if (bytesRead >= (1 << 20)) {
            return 0;
        }
        const long long got = TableFileSystem::Read(file, buffer, size);
        bytesRead += got > 0 ? got : 0;
        return got;
    }
    long long bytesRead = 0;
};

TEST(TableFileSize, AFileOfTwoGigabytesOrMoreFailsBeforeReading) {
    const TFieldDef fields[] = {{"OldChannel", "OldChannel", 20}, {"NewChannel", "NewChannel", 20}};
    const struct {
        unsigned long long size;
        bool refused;
    } cases[] = {
        {0x7FFFFFFFULL, false}, // the largest file read
        {0x80000000ULL, true},  // just over the limit
        {0x100000040ULL, true}, // 4 GiB and a few bytes, which a 32-bit size_t would see as a few bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const TempDir dir;
        dir.Write("tvconvert.csv", "OldChannel,NewChannel\r\n");
        std::filesystem::resize_file(dir.Native("tvconvert.csv"), c.size); // sparse: takes no disk space
        CountingFileSystem fs;
        TableTextReader reader{fields};
        try {
            (void)LoadTableFile(dir.File("tvconvert.csv"), fs, reader);
            EXPECT_FALSE(c.refused) << "the file was loaded";
            EXPECT_GT(fs.bytesRead, 0);
        } catch (const IoError& error) {
            EXPECT_TRUE(c.refused) << error.what();
            EXPECT_EQ(error.Code(), os::FileTooLargeError());
            EXPECT_EQ(fs.bytesRead, 0);
        }
    }
}

} // namespace
} // namespace quellix
