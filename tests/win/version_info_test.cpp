#include "support/version_info.h"

#include "app/product_info.h"
#include "support/cp932_win.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace quellix {
namespace {

std::string BinFile(const char* name) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return SjisFromWide(path.substr(0, path.find_last_of(L'\\') + 1)) + name;
}

TEST(VersionInfo, ProgramResourceGivesItsStrings) {
    TVersion version;
    version.Comment = "left over";
    EXPECT_TRUE(ReadVersionInfo(BinFile("quellix.exe"), version));
    EXPECT_EQ(version.FileVersion, QUELLIX_FILE_VERSION);
    EXPECT_EQ(version.ProductVersion, QUELLIX_PRODUCT_VERSION);
    EXPECT_EQ(version.ProductName, QUELLIX_PRODUCT_NAME);
    EXPECT_EQ(version.FileDescription, QUELLIX_PRODUCT_NAME);
    EXPECT_EQ(version.InternalName, QUELLIX_PRODUCT_NAME);
    EXPECT_EQ(version.CompanyName, QUELLIX_COMPANY_NAME);
    EXPECT_EQ(version.LegalCopyright, QUELLIX_AUTHOR_NAME);
    EXPECT_EQ(version.OriginalFileName, QUELLIX_FILE_NAME);
    // The reader's own key spellings find nothing for these two, and nothing is left from before.
    EXPECT_EQ(version.LegalTradeMarks, "");
    EXPECT_EQ(version.Comment, "");
    EXPECT_EQ(version.ScrnSave, "");
}

TEST(VersionInfo, FileWithoutResourceOrMissingGivesEmptyFields) {
    for (const std::string& path : {BinFile("quellix_win_tests.exe"), BinFile("no-such-file.exe")}) {
        TVersion version;
        version.FileVersion = "stale";
        EXPECT_TRUE(ReadVersionInfo(path, version));
        EXPECT_EQ(version.FileVersion, "") << path;
        EXPECT_EQ(version.ProductName, "") << path;
    }
}

} // namespace
} // namespace quellix
