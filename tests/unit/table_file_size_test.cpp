// A table file larger than the program can hold is refused before a byte of it is read, with the
// system's "file too large" error: its 64-bit size never wraps to a small one (as it would cut
// down to the 32-bit program's size_t), and nothing is half loaded.
#include "channels/table_file.h"
#include "support/errors.h"
#include "table_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quellix {
namespace {

using table_test::ScratchDir;

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

TEST(TableFileSize, AFileOverTwoGigabytesFailsBeforeReading) {
    const TFieldDef fields[] = {{"OldChannel", "OldChannel", 20}, {"NewChannel", "NewChannel", 20}};
    // Just over the limit; 4 GiB and a few bytes, which a 32-bit size_t would see as a few bytes.
    for (const unsigned long long size : {0x80000000ULL, 0x100000040ULL}) {
        SCOPED_TRACE(size);
        const ScratchDir dir;
        dir.Write("tvconvert.csv", "OldChannel,NewChannel\r\n");
        std::filesystem::resize_file(dir.Native("tvconvert.csv"), size); // sparse: takes no disk space
        CountingFileSystem fs;
        TableTextReader reader{fields};
        try {
            (void)LoadTableFile(dir.File("tvconvert.csv"), fs, reader);
            ADD_FAILURE() << "the file was loaded";
        } catch (const IoError& error) {
            EXPECT_EQ(error.Code(), os::FileTooLargeError());
        }
        EXPECT_EQ(fs.bytesRead, 0);
    }
}

} // namespace
} // namespace quellix
