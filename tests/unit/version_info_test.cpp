#include "support/version_info.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

TEST(VersionTextHeader, ReadsProductVersionAndAuthorFromAComment) {
    struct Case {
        const char* text;
        const char* product;
        const char* version;
        const char* author;
    };
    const Case cases[] = {
        {"#!/bin/sh\n# Tool ver 1.2 by Someone\necho\n", "Tool", "1.2", "Someone"},
        {"rem Batch Helper version 2.0 by A. Writer\r\n", "Batch Helper", "2.0", "A. Writer"},
        {"# Lib Version10 by B\n", "Lib", "10", "B"}, // no blank after the word
        {"' Script by Me\n' Script ver 3\n", "Script", "3", "Me"},
        {"# Xver 4 by Y\n", "X", "4", "Y"}, // a name of one character
        {"no comment here\n", "", "", ""},
        {"x\nx\nx\nx\nx\nx\nx\nx\nx\n# Tenth ver 8 by Last\n", "Tenth", "8", "Last"}, // the tenth line counts
        {"x\nx\nx\nx\nx\nx\nx\nx\nx\nx\n# Late ver 9 by Nobody\n", "", "", ""},       // beyond ten lines
    };
    for (const Case& c : cases) {
        TVersion version;
        ReadVersionTextHeader(c.text, version);
        EXPECT_EQ(version.ProductName, c.product) << c.text;
        EXPECT_EQ(version.FileVersion, c.version) << c.text;
        EXPECT_EQ(version.LegalCopyright, c.author) << c.text;
    }
}

TEST(ReadVersionInfo, ReadsTheHeaderOfAScriptFile) {
    const testing_support::TempDir dir;
    dir.Write("tool.sh", "#!/bin/sh\n# Tool ver 1.2 by Someone\necho\n");
    TVersion version;
    EXPECT_TRUE(ReadVersionInfo(dir.File("tool.sh"), version));
    EXPECT_EQ(version.ProductName, "Tool");
    EXPECT_EQ(version.FileVersion, "1.2");
}

} // namespace
} // namespace quellix
