#include "support/line_reader.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quellix {
namespace {

using testing_support::TempDir;

// Every byte arrives, also one that a read hands over alone (a one-byte file, the byte after a
// full buffer), and the line ends are LF or CR LF, a lone CR dropped.
TEST(LineReader, ReadsEveryLineOfTheFile) {
    const std::string full(65535, 'a');
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"empty", "", {}},
        {"one byte", "x", {"x"}},
        {"line ends", "a\r\nb\rc\n\nd", {"a", "bc", "", "d"}},
        {"a byte after a full buffer", full + "\nz", {full, "z"}},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        dir.Write("lines.txt", c.bytes);
        os::File file = os::OpenFile(dir.File("lines.txt"), os::OpenMode::ReadExisting, os::Share::Read);
        ASSERT_TRUE(file.IsOpen());
        LineReader reader{file};
        std::vector<std::string> lines;
        while (!reader.Eof()) {
            lines.push_back(reader.ReadLine());
        }
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

} // namespace
} // namespace quellix
