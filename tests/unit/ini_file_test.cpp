#include "support/ini_file.h"

#include "support/os.h"
#include "tests/unit/temp_dir.h"
#include "tests/unit/unicode_bytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quellix::ini {
namespace {

TEST(IniFile, FindValue) {
    const std::string content = "; [TFormPdigi]\r\n"
                                "[Pexlan]\r\n"
                                "Key=host\r\n"
                                "  [ tformpdigi ]  \r\n"
                                "  key  =  \"  quoted  \"  \r\n"
                                "Single='x'\n"
                                "Half=\"x\n"
                                "Quote=\"\r\n" // one quote encloses nothing
                                "Bare\r\n"
                                "Empty=\r\n"
                                ";Hidden=1\r\n"
                                "Path=C:\\表\\ソ\\\r\n"
                                "[ゾ]\r\n" // trail byte 0x5D: the header ends after it
                                "Name=ゾーン\r\n"
                                "[TFormPdigi]\r\n"
                                "Late=second section of the same name\r\n";
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"TFormPdigi", "Key", "  quoted  "},
        {"Pexlan", "KEY", "host"},
        {"TFormPdigi", "Single", "x"},
        {"TFormPdigi", "Half", "\"x"},
        {"TFormPdigi", "Quote", "\""},
        {"TFormPdigi", "Bare", std::nullopt},
        {"TFormPdigi", "Empty", ""},
        {"TFormPdigi", ";Hidden", std::nullopt},
        {"TFormPdigi", "Path", "C:\\表\\ソ\\"},
        {"ゾ", "Name", "ゾーン"},
        {"TFormPdigi", "Late", std::nullopt},
        {"Missing", "Key", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindValue(content, c.section, c.key), c.value) << c.section << "/" << c.key;
    }
}

using testing::Utf16Bytes;

std::string Utf16(std::u16string_view text, bool bigEndian) {
    return Utf16Bytes(text, bigEndian);
}

std::string Utf8(std::u8string_view text) {
    return "\xEF\xBB\xBF" + testing::Utf8Bytes(text);
}

// A file saved with a byte order mark is read and written in its own encoding, as Windows' profile
// functions do: the stored folder is found, the one section stays one, and every other byte of
// the host's sections (characters Shift_JIS cannot hold and a surrogate without its pair too)
// stays as it was.
TEST(IniFile, AFileWithAByteOrderMarkKeepsItsEncodingAndItsOneSection) {
    const std::u16string before = u"[TFormPdigi]\r\nPdigiDir=C:\\表ソ\\\r\n[Pexlan]\r\nName=𠮷野\xD800家\r\n";
    const std::u16string after = u"[TFormPdigi]\r\nPdigiDir=D:\\新\\\r\nTop=5\r\n[Pexlan]\r\nName=𠮷野\xD800家\r\n";
    const std::u8string before8 = u8"[TFormPdigi]\r\nPdigiDir=C:\\表ソ\\\r\n[Pexlan]\r\nName=𠮷野家\r\n";
    const std::u8string after8 = u8"[TFormPdigi]\r\nPdigiDir=D:\\新\\\r\nTop=5\r\n[Pexlan]\r\nName=𠮷野家\r\n";
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"UTF-16LE", Utf16(before, false), Utf16(after, false)},
        {"UTF-16BE", Utf16(before, true), Utf16(after, true)},
        {"UTF-8", Utf8(before8), Utf8(after8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindValue(c.before, "tformpdigi", "PdigiDir"), std::optional<std::string>{"C:\\表ソ\\"});
        EXPECT_EQ(SetValue(SetValue(c.before, "TFormPdigi", "PdigiDir", "D:\\新\\"), "TFormPdigi", "Top", "5"),
                  c.after);
        EXPECT_EQ(SetValue(c.before, "TFormPdigi", "PdigiDir", "C:\\表ソ\\"), c.before);
    }
}

TEST(IniFile, SetValueChangesOnlyItsOwnKey) {
    const std::string host = "[Pexlan]\r\nName=表示\r\n\r\n";
    const struct {
        const char* name;
        std::string before;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"new file", "", "A", "1", "[S]\r\nA=1\r\n"},
        {"section added at the end", host, "A", "1", host + "[S]\r\nA=1\r\n"},
        {"section added after a last line without a break", "[P]\r\nX=1", "A", "1", "[P]\r\nX=1\r\n[S]\r\nA=1\r\n"},
        {"existing key: only the value changes", host + "[s]\r\n  a = old \r\nB=2\r\n" + host, "A", "new",
         host + "[s]\r\n  a =new\r\nB=2\r\n" + host},
        {"LF line ends stay", "[S]\nA=old\nB=2\n", "A", "new", "[S]\nA=new\nB=2\n"},
        {"new key after the section's last line, before its blank lines", "[S]\r\nA=1\r\n\r\n; note\r\n\r\n" + host,
         "B", "2", "[S]\r\nA=1\r\n\r\n; note\r\nB=2\r\n\r\n" + host},
        {"new key in a last section without a final break", "[S]\r\nA=1", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        {"new key in an empty section", "[S]\r\n[T]\r\n", "B", "2", "[S]\r\nB=2\r\n[T]\r\n"},
        {"only the first section of the name", "[S]\r\n[T]\r\n[S]\r\nB=1\r\n", "B", "2",
         "[S]\r\nB=2\r\n[T]\r\n[S]\r\nB=1\r\n"},
        {"a line break in the value ends it", "", "A", "one\r\ntwo", "[S]\r\nA=one\r\n"},
        {"Shift_JIS value", "[S]\r\nA=x\r\n", "A", "C:\\表ソ\\", "[S]\r\nA=C:\\表ソ\\\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetValue(c.before, "S", c.key, c.value), c.after) << c.name;
    }
}

class IniFileOnDisk : public ::testing::Test {
protected:
    void Put(const std::string& bytes) const { std::ofstream{path_, std::ios::binary} << bytes; }
    [[nodiscard]] std::string Get() const {
        std::ostringstream out;
        out << std::ifstream{path_, std::ios::binary}.rdbuf();
        return out.str();
    }

    testing_support::TempDir dir_;
    std::string path_ = dir_.Native("pex.ini");
};

TEST_F(IniFileOnDisk, WritesAndReadsOneKeyAtATime) {
    EXPECT_EQ(ReadFileText(path_), std::nullopt); // no file
    ASSERT_TRUE(WriteString(path_, "S", "A", "1"));
    ASSERT_TRUE(WriteString(path_, "S", "B", "\"\"q\"\""));
    EXPECT_EQ(Get(), "[S]\r\nA=1\r\nB=\"\"q\"\"\r\n");
    const std::string content = ReadFileText(path_).value_or("");
    EXPECT_EQ(FindValue(content, "s", "b"), "\"q\"");
    EXPECT_EQ(FindValue(content, "S", "C"), std::nullopt);
    EXPECT_FALSE(os::FileExists(path_ + ".$$$"));
}

TEST_F(IniFileOnDisk, FailedWriteLeavesTheFileAsItWas) {
    Put("[Host]\r\nA=1\r\n");
    // A directory where the temporary file would go: the write cannot even start.
    ASSERT_EQ(::mkdir((path_ + ".$$$").c_str(), 0700), 0);
    EXPECT_FALSE(WriteString(path_, "S", "A", "2"));
    ::rmdir((path_ + ".$$$").c_str());
    EXPECT_EQ(Get(), "[Host]\r\nA=1\r\n");
}

TEST_F(IniFileOnDisk, AWriteOrAReplaceThatFailsIsReportedAndLeavesNoTemporary) {
    // The write: no file may grow past a few bytes.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteString(path_, "S", "A", "a value longer than the limit");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(os::FileExists(path_));

    // The replace: a directory that is not empty holds the file's name.
    ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);
    const std::string inside = path_ + "/kept";
    std::ofstream{inside} << "x";
    const bool replaced = WriteString(path_, "S", "A", "1");
    std::remove(inside.c_str());
    EXPECT_FALSE(replaced);

    EXPECT_FALSE(os::FileExists(path_ + ".$$$"));
}

TEST_F(IniFileOnDisk, AValueAlreadyInPlaceIsNotWrittenAgain) {
    Put("[S]\r\nA=1\r\n");
    ASSERT_EQ(::chmod(dir_.Native().c_str(), 0500), 0); // no new entries in the directory
    const bool unchanged = WriteString(path_, "S", "A", "1");
    const bool changed = WriteString(path_, "S", "A", "2");
    ::chmod(dir_.Native().c_str(), 0700);
    EXPECT_TRUE(unchanged);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_FALSE(changed);
        EXPECT_EQ(Get(), "[S]\r\nA=1\r\n");
    }
}

} // namespace
} // namespace quellix::ini
