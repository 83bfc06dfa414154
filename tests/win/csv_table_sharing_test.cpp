// Channel tables on the real Win32 file system: the sharing rules while a table file is read and
// written, a file another program holds open, and the collation Locate compares with.
#include "channels/channel_tables.h"
#include "channels/csv_table.h"
#include "channels/locale_compare.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/os.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quellix {
namespace {

const std::string kChNoHeader = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";

std::wstring BinFile(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Runs the helper program with `arguments` and returns its exit code.
DWORD RunHolder(const std::string& arguments, HANDLE* keepRunning = nullptr) {
    std::wstring commandLine = L"\"" + BinFile(L"table_file_holder.exe") + L"\" " + WideFromSjis(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process)) {
        ADD_FAILURE() << "cannot start table_file_holder.exe: " << ::GetLastError();
        return 0xFFFFFFFF;
    }
    ::CloseHandle(process.hThread);
    if (keepRunning != nullptr) {
        *keepRunning = process.hProcess;
        return 0;
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return code;
}

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH]{};
        ::GetTempPathW(MAX_PATH, base);
        path_ = SjisFromWide(base) + "qx-table-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount());
        (void)os::MakeDirectory(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        for (const std::string& name : Names()) {
            (void)os::RemoveFile(File(name));
        }
        ::RemoveDirectoryW(WideFromSjis(path_).c_str());
    }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "\\" + name; }
    [[nodiscard]] std::vector<std::string> Names() const {
        std::vector<std::string> names;
        os::FileEnumerator entries{path_ + "\\*"};
        for (std::string name; entries.Next(name);) {
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void Write(const std::string& name, std::string_view bytes) const {
        os::File file = os::OpenFile(File(name), os::OpenMode::CreateAlways, os::Share::None);
        ASSERT_TRUE(file.Write(bytes));
    }
    [[nodiscard]] std::string Read(const std::string& name) const {
        os::File file = os::OpenFile(File(name), os::OpenMode::ReadExisting, os::Share::ReadWrite);
        std::string bytes;
        char block[4096];
        for (long long got = 0; (got = file.Read(block, sizeof block)) > 0;) {
            bytes.append(block, static_cast<std::size_t>(got));
        }
        return bytes;
    }

private:
    std::string path_;
};

// Asks another program, in the middle of loading and saving, what it may do with the files.
class ProbingFileSystem : public TableFileSystem {
public:
    explicit ProbingFileSystem(std::string file) : file_{std::move(file)} {}

    long long Read(os::File& file, void* buffer, std::size_t size) override {
        if (readWhileLoading == 0xFFFFFFFF) {
            readWhileLoading = RunHolder("try-read \"" + file_ + "\"");
            writeWhileLoading = RunHolder("try-write \"" + file_ + "\"");
        }
        return TableFileSystem::Read(file, buffer, size);
    }
    bool Write(os::File& file, std::string_view bytes) override {
        if (readWhileSaving == 0xFFFFFFFF) {
            readWhileSaving = RunHolder("try-read \"" + file_.substr(0, file_.size() - 4) + ".$$$\"");
        }
        return TableFileSystem::Write(file, bytes);
    }

    DWORD readWhileLoading = 0xFFFFFFFF;
    DWORD writeWhileLoading = 0xFFFFFFFF;
    DWORD readWhileSaving = 0xFFFFFFFF;

private:
    std::string file_;
};

TEST(CsvTableSharing, FileIsReadSharedForReadingOnlyAndTemporaryIsNotShared) {
    TempFolder folder;
    folder.Write("pexTVCHNo.csv", kChNoHeader + "\"deck\",\"A\",\"21\",\r\n");
    TCsvTable table = CreateTableTVChNo(folder.File("pexTVCHNo.csv"));
    ProbingFileSystem probe{folder.File("pexTVCHNo.csv")};
    table.SetFileSystemForTesting(probe);
    table.Open();
    table.Close();
    EXPECT_EQ(probe.readWhileLoading, 0U);
    EXPECT_EQ(probe.writeWhileLoading, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(probe.readWhileSaving, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(CsvTableSharing, FileHeldOpenForWritingMakesOpenFailAndIsNotOverwritten) {
    TempFolder folder;
    const std::string content = kChNoHeader + "\"deck\",\"A\",\"21\",\r\n";
    folder.Write("pexTVCHNo.csv", content);
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount());
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, (L"qx-ready-" + suffix).c_str());
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, (L"qx-release-" + suffix).c_str());
    HANDLE holder = nullptr;
    RunHolder("hold-write \"" + folder.File("pexTVCHNo.csv") + "\" qx-ready-" + SjisFromWide(suffix) + " qx-release-" +
                  SjisFromWide(suffix),
              &holder);
    ASSERT_NE(holder, nullptr);
    HANDLE waitFor[] = {ready, holder};
    ASSERT_EQ(::WaitForMultipleObjects(2, waitFor, FALSE, 30000), WAIT_OBJECT_0) << "the holder did not start";

    TCsvTable table = CreateTableTVChNo(folder.File("pexTVCHNo.csv"));
    try {
        table.Open();
        ADD_FAILURE() << "Open read a file another program is writing";
    } catch (const IoError& error) {
        EXPECT_EQ(error.Code(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    }
    table.Close(); // a caller's clean-up

    ::SetEvent(release);
    ::WaitForSingleObject(holder, 30000);
    ::CloseHandle(holder);
    ::CloseHandle(ready);
    ::CloseHandle(release);
    EXPECT_EQ(folder.Read("pexTVCHNo.csv"), content);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"pexTVCHNo.csv"});

    table.Open(); // once the other program let go, the table loads as usual
    EXPECT_TRUE(table.Locate("VideoDeckName;TVChannelNo", {"deck", "21"}));
    table.Close();
}

TEST(CsvTableSharing, SavesLeaveTheFileAndItsBackup) {
    TempFolder folder;
    TCsvTable table = CreateTableTV(folder.File("tvconvert.csv"));
    table.Open();
    table.Close();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"tvconvert.csv"});
    const std::string header = "\"元のTV局名\",\"新しいTV局名\",\r\n";
    EXPECT_EQ(folder.Read("tvconvert.csv"), header);

    table.Open();
    table.Append();
    table.FieldByName("OldChannel").SetAsString("ＮＨＫ総合");
    table.FieldByName("NewChannel").SetAsString("NHK総合");
    table.Post();
    table.Close();
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"tvconvert.csv", "tvconvert.old"}));
    EXPECT_EQ(folder.Read("tvconvert.csv"), header + "\"ＮＨＫ総合\",\"NHK総合\",\r\n");
    EXPECT_EQ(folder.Read("tvconvert.old"), header);

    table.Open();
    table.Close();
    EXPECT_EQ(folder.Read("tvconvert.old"), folder.Read("tvconvert.csv"));
}

TEST(CsvTableLocate, ComparesWithTheUserCollation) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"ＮＨＫ総合", "ＮＨＫ総合", true},
        {"", "", true},
        {"abc", "ABC", false}, // case counts
        {"ｱ", "ア", false},    // so does width
        {"あ", "ア", false},   // and kana type
        {"ａ", "a", false},
        {"NHK", "NHK ", false}, // whole values only
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocaleTextEquals(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
}

} // namespace
} // namespace quellix
