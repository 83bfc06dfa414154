#include "support/log_file.h"

#include "support/errors.h"
#include "support/log_line.h"
#include "support/text.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <regex>
#include <algorithm>

namespace quellix {
namespace {

using testing_support::ReadAll;
using testing_support::TempDir;

TEST(LogLine, LayoutIsExact) {
    const os::LocalDateTime t{2009, 3, 1, 21, 5, 9, 0};
    const os::LocalDateTime later{2009, 3, 1, 21, 7, 44, 0};
    EXPECT_EQ(LogStartLine(t), "--- START ---\t2009-03-01 21:05:09");
    EXPECT_EQ(LogEndLine(t, later), "--- END ---\t2009-03-01\t21:07:44");
    EXPECT_EQ(LogVersionLine("1.0.1.0"), "Version 1.0.1.0");
    EXPECT_EQ(LogVersionLine(""), "Version ");
    EXPECT_EQ(LogTextLine("C:\\Host\\pex.log", "abc", true), "pex.log: abc (C.ERROR)");
    EXPECT_EQ(LogTextLine("C:pex.log", "abc", true), "pex.log: abc (C.ERROR)");
    EXPECT_EQ(LogTextLine("C:\\Host\\pex.log", "abc", false), "abc");
}

TEST(LogFile, FramesEveryRunAndAppends) {
    TempDir dir;
    for (int run = 0; run < 2; ++run) {
        TLogFile log;
        log.SetLogFileName(dir.File("pex.log"));
        log.SetActive(true);
        EXPECT_TRUE(log.WriteLog("Quellix", false));
        EXPECT_TRUE(log.WriteLog("表示ソフト", true));
    } // destruction writes the end record
    const std::string bytes = ReadAll(dir.Native("pex.log"));
    const std::string run{"--- START ---\\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\r\\n"
                          "Version \\r\\n" // native builds have no version resource
                          "Quellix\\r\\n"
                          "pex\\.log: \x95\\\\\x8e\xa6\x83\\\\\x83t\x83g \\(C\\.ERROR\\)\\r\\n"
                          "--- END ---\\t\\d{4}-\\d\\d-\\d\\d\\t\\d\\d:\\d\\d:\\d\\d\\r\\n"};
    EXPECT_TRUE(std::regex_match(bytes, std::regex{"(?:" + run + "){2}"})) << bytes;
}

TEST(LogFile, InactiveOrBlankNameWritesNothing) {
    TempDir dir;
    TLogFile log;
    log.SetLogFileName(dir.File("pex.log"));
    EXPECT_FALSE(log.WriteLog("x", false));
    log.SetActive(false); // not active: no end record
    EXPECT_FALSE(std::filesystem::exists(dir.Native("pex.log")));

    TLogFile blank;
    blank.SetLogFileName("   ");
    blank.SetActive(true);
    EXPECT_TRUE(blank.Active());
    EXPECT_FALSE(blank.WriteLog("x", false));
    // A name given afterwards gets no start record, but later lines are written.
    blank.SetLogFileName(dir.File("late.log"));
    EXPECT_TRUE(blank.WriteLog("line", false));
    EXPECT_EQ(ReadAll(dir.Native("late.log")), "line\r\n");
}

TEST(LogFile, ActiveTwiceWritesTwoStartsAndFalseTwiceOneEnd) {
    TempDir dir;
    TLogFile log;
    log.SetLogFileName(dir.File("pex.log"));
    log.SetActive(true);
    log.SetActive(true);
    log.SetActive(false);
    log.SetActive(false);
    const std::string bytes = ReadAll(dir.Native("pex.log"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 5);
    EXPECT_EQ(bytes.find("--- END ---"), bytes.rfind("--- END ---"));
    EXPECT_NE(bytes.find("--- START ---"), bytes.rfind("--- START ---"));
}

TEST(LogFile, RelativeNameBecomesTheExecutablesDirectory) {
    TLogFile log;
    log.SetLogFileName("qx-relative-test.log");
    log.SetActive(true);
    const std::string expected = ExtractFilePath(os::ExecutablePath()) + "qx-relative-test.log";
    EXPECT_EQ(log.LogFileName(), expected);
    log.SetActive(false);
    std::string native = expected;
    std::replace(native.begin(), native.end(), '\\', '/');
    std::filesystem::remove(native);
}

TEST(LogFile, UnwritableDirectorySwitchesTheLogOffWithoutRaising) {
    TempDir dir;
    TLogFile log;
    log.SetLogFileName(dir.File("missing\\deeper\\pex.log"));
    log.SetActive(true);
    EXPECT_FALSE(log.Active());
    EXPECT_FALSE(log.WriteLog("x", true));
}

TEST(LogFile, WriteFailureRaisesAnIoError) {
    // The log's name turns into a directory between two lines (file permissions would not stop root).
    TempDir dir;
    TLogFile log;
    log.SetLogFileName(dir.File("pex.log"));
    log.SetActive(true);
    ASSERT_TRUE(log.Active());
    std::filesystem::remove(dir.Native("pex.log"));
    std::filesystem::create_directory(dir.Native("pex.log"));
    EXPECT_THROW(log.WriteLog("x", false), IoError);
    EXPECT_TRUE(log.Active());
}

} // namespace
} // namespace quellix
