// Channel tables on the real Win32 file system: the sharing rules while a table file is read and
// written, a file another program holds open (for a moment, as a scanner does, also the other files
// a run writes), and the collation Locate compares with.
#include "channels/channel_tables.h"
#include "channels/csv_table.h"
#include "app/reservation.h"
#include "channels/locale_compare.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/ini_file.h"
#include "support/log_file.h"
#include "support/os.h"
#include "tests/shared/start_process_win.h"
#include "tests/shared/temp_dir_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
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
    PROCESS_INFORMATION process{};
    if (!test_process::StartProcess(commandLine, CREATE_NO_WINDOW, nullptr, nullptr, &process)) {
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

using testing_support::TempDir;

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
    TempDir folder;
    folder.Write("pexTVCHNo.csv", kChNoHeader + "\"deck\",\"A\",\"21\",\r\n");
    TCsvTable table = CreateTableTVChNo(folder.File("pexTVCHNo.csv"));
    ProbingFileSystem probe{folder.File("pexTVCHNo.csv")};
    table.SetFileSystemForTesting(probe);
    table.Open();
    table.Append(); // only a changed table is saved
    table.Post();
    table.Close();
    EXPECT_EQ(probe.readWhileLoading, 0U);
    EXPECT_EQ(probe.writeWhileLoading, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(probe.readWhileSaving, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(CsvTableSharing, FileHeldOpenForWritingMakesOpenFailAndIsNotOverwritten) {
    TempDir folder;
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

// Another program (a virus scanner, the search indexer) opens one of the table's files without
// sharing for 300 ms, from the moment the table reaches a chosen step of its load or save.
class BriefHoldFileSystem : public TableFileSystem {
public:
    BriefHoldFileSystem(std::string step, std::string file) : step_{std::move(step)}, file_{std::move(file)} {}
    BriefHoldFileSystem(const BriefHoldFileSystem&) = delete;
    BriefHoldFileSystem& operator=(const BriefHoldFileSystem&) = delete;
    ~BriefHoldFileSystem() override { Finish(); }

    os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) override {
        At(mode == os::OpenMode::ReadExisting ? "read" : "create", path);
        return TableFileSystem::OpenFile(path, mode, share);
    }
    bool RemoveFile(const std::string& path) override {
        At("remove", path);
        return TableFileSystem::RemoveFile(path);
    }
    bool LinkFile(const std::string& existing, const std::string& link) override {
        At("link", existing);
        return TableFileSystem::LinkFile(existing, link);
    }
    bool ReplaceFileAtomically(const std::string& from, const std::string& to) override {
        At("replace", to);
        return TableFileSystem::ReplaceFileAtomically(from, to);
    }

    // Holds the file from now on.
    void HoldNow() { At(step_.c_str(), file_); }

    // The holder's exit code once it let go: 0 when it held the file.
    DWORD Finish() {
        if (holder_ != nullptr) {
            ::WaitForSingleObject(holder_, 30000);
            ::GetExitCodeProcess(holder_, &holderExit_);
            ::CloseHandle(holder_);
            holder_ = nullptr;
        }
        return holderExit_;
    }

private:
    void At(const char* step, const std::string& path) {
        if (holder_ != nullptr || held_ || step_ != step || path != file_) {
            return;
        }
        held_ = true;
        const std::wstring ready =
            L"qx-brief-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount());
        HANDLE readyEvent = ::CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
        RunHolder("hold-briefly \"" + path + "\" " + SjisFromWide(ready) + " 300", &holder_);
        HANDLE waitFor[] = {readyEvent, holder_};
        EXPECT_EQ(::WaitForMultipleObjects(2, waitFor, FALSE, 30000), WAIT_OBJECT_0) << "the holder did not hold";
        ::CloseHandle(readyEvent);
    }

    std::string step_;
    std::string file_;
    bool held_ = false;
    HANDLE holder_ = nullptr;
    DWORD holderExit_ = 0xFFFFFFFF;
};

// Each step waits the hold out: no error, and the file and its backup are as after any save.
TEST(CsvTableSharing, ABriefHoldAtAnyStepIsWaitedOut) {
    const struct {
        const char* what;
        const char* step;
        const char* file;
    } cases[] = {
        {"the file read by Open", "read", "pexTVCHNo.csv"},
        {"the file given its second name", "link", "pexTVCHNo.csv"},
        {"a temporary left by an interrupted save, removed", "remove", "pexTVCHNo.$$$"},
        {"the backup replaced", "replace", "pexTVCHNo.old"},
        {"the file replaced", "replace", "pexTVCHNo.csv"},
    };
    const std::string before = kChNoHeader + "\"deck\",\"A\",\"21\",\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        folder.Write("pexTVCHNo.csv", before);
        folder.Write("pexTVCHNo.old", kChNoHeader);
        folder.Write("pexTVCHNo.$$$", "left by an interrupted save");
        TCsvTable table = CreateTableTVChNo(folder.File("pexTVCHNo.csv"));
        BriefHoldFileSystem fs{c.step, folder.File(c.file)};
        table.SetFileSystemForTesting(fs);
        EXPECT_NO_THROW({
            table.Open();
            table.Append();
            table.FieldByName("VideoDeckName").SetAsString("deck");
            table.FieldByName("TVChannel").SetAsString("B");
            table.FieldByName("TVChannelNo").SetAsString("8");
            table.Post();
            table.Close();
        });
        EXPECT_EQ(fs.Finish(), 0U);
        EXPECT_EQ(folder.Read("pexTVCHNo.csv"), before + "\"deck\",\"B\",\"8\",\r\n");
        EXPECT_EQ(folder.Read("pexTVCHNo.old"), before);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"pexTVCHNo.csv", "pexTVCHNo.old"}));
    }
}

// The other files a run reads and writes wait a brief hold out as the tables do.
TEST(CsvTableSharing, TheSettingsTheLogAndAReservationFileWaitABriefHoldOut) {
    TempDir folder;
    const std::string ini = folder.File("pex.ini");
    const std::string log = folder.File("pex.log");
    const TReservation reservation{};
    const std::string tvpiName = ReservationFileName("", reservation);
    const std::string tvpi = folder.File(tvpiName);
    TLogFile logFile;
    logFile.SetLogFileName(log);
    const struct {
        const char* what;
        std::string file;
        std::function<bool()> action;
    } cases[] = {
        {"pex.ini read", ini,
         [&] { return ini::FindValue(ini::ReadFileText(ini).value_or(""), "TFormPdigi", "k") == "1"; }},
        {"pex.ini written", ini, [&] { return ini::WriteString(ini, "TFormPdigi", "k", "2"); }},
        {"a log line", log, [&] { return logFile.WriteLog("line", false); }},
        {"a reservation file", tvpi,
         [&] { return WriteReservationFile(reservation, folder.File("")).Outcome == TaskOutcome::Written; }},
    };
    folder.Write("pex.ini", "[TFormPdigi]\r\nk=1\r\n");
    folder.Write("pex.log", "");
    folder.Write(tvpiName, "");
    logFile.SetActive(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BriefHoldFileSystem holder{"now", c.file};
        holder.HoldNow();
        EXPECT_TRUE(c.action());
        EXPECT_EQ(holder.Finish(), 0U);
    }
    EXPECT_EQ(folder.Read("pex.ini"), "[TFormPdigi]\r\nk=2\r\n");
    EXPECT_NE(folder.Read("pex.log").find("\r\nline\r\n"), std::string::npos);
    EXPECT_NE(folder.Read(tvpiName), "");
    logFile.SetActive(false);
}

TEST(CsvTableSharing, SavesLeaveTheFileAndItsBackup) {
    TempDir folder;
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

    // Unchanged: neither the file nor its backup is written again.
    table.Open();
    table.Close();
    EXPECT_EQ(folder.Read("tvconvert.csv"), header + "\"ＮＨＫ総合\",\"NHK総合\",\r\n");
    EXPECT_EQ(folder.Read("tvconvert.old"), header);
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
