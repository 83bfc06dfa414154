// The harvest's end-to-end fixture: the real quellix.exe importing with the Task Scheduler's listing
// printed by a stand-in tool in place of the system's schtasks.exe, in a host root of its own.
#pragma once

#include "tests/e2e/e2e_support.h"

#include "support/cp932_win.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quellix::e2e {

inline constexpr int kIdButtonStop = 102;

inline std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH]{};
    return {directory, ::GetSystemDirectoryW(directory, MAX_PATH)};
}

inline std::optional<std::wstring> Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
    }
    return std::wstring{buffer, length};
}

// Sets an environment variable of the test, which quellix.exe and its children inherit, until
// the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_{name}, previous_{Environment(name)} {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr); }

private:
    const wchar_t* name_;
    std::optional<std::wstring> previous_;
};

// The system's schtasks.exe replaced by the stand-in (or taken away), the original put back at
// the end of the scope. Wine runs its own built-in schtasks.exe in place of a program file of that
// name in the system directory unless its load order says otherwise; a WINEDLLOVERRIDES variable
// set here would not reach the loader of quellix.exe's child, the prefix's registry does.
class SystemSchtasks {
public:
    enum class Kind { StandIn, Missing };

    explicit SystemSchtasks(Kind kind) {
        if (!FileExists(saved_)) {
            ::MoveFileW(path_.c_str(), saved_.c_str());
        }
        ::DeleteFileW(path_.c_str());
        if (kind == Kind::StandIn) {
            EXPECT_TRUE(::CopyFileW((BinDir() + L"\\schtasks.exe").c_str(), path_.c_str(), FALSE));
        }
        SetRegistryString(kWineDllOverrides, L"schtasks.exe", L"native");
    }
    SystemSchtasks(const SystemSchtasks&) = delete;
    SystemSchtasks& operator=(const SystemSchtasks&) = delete;
    ~SystemSchtasks() {
        DeleteRegistryValue(kWineDllOverrides, L"schtasks.exe");
        ::DeleteFileW(path_.c_str());
        ::MoveFileW(saved_.c_str(), path_.c_str());
    }

private:
    static constexpr const wchar_t* kWineDllOverrides = L"Software\\Wine\\DllOverrides";
    std::wstring path_ = SystemDirectory() + L"\\schtasks.exe";
    std::wstring saved_ = SystemDirectory() + L"\\schtasks.exe.quellix-saved";
};

inline std::string Listing(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += testing::kListingLineEnd;
    }
    return out;
}

inline std::string TvpiFile(const std::string& station, const char* year, const char* month, const char* day,
                            const char* start, const char* end, const std::string& title) {
    return "Content-type: application/x-tv-program-info; charset=shift_jis\r\nversion: 1\r\nstation: " + station +
           "\r\nyear: " + year + "\r\nmonth: " + month + "\r\ndate: " + day + "\r\nstart: " + start +
           "\r\nend: " + end + "\r\nprogram-title: " + title + "\r\ngenre: 0\r\n\r\n\r\n  \r\n\r\n";
}

class HarvestTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRootPath(root.Path());
        ASSERT_TRUE(::CreateDirectoryW((root / L"reserve").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(reserve.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
        WriteFileBytes(root / L"pexTVCHNo.csv", "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n"
                                                "\"GigaPocket\",\"TV Alpha\",\"21\",\r\n"
                                                "\"GigaPocket\",\"ソフト放送\",\"8\",\r\n"
                                                "\"GigaPocket\",\"表示テレビ\",\"12\",\r\n"
                                                "\"録画ソ\",\"Deck Station\",\"21\",\r\n"
                                                "\"Other\",\"Elsewhere\",\"5\",\r\n");
        // Written as another program might: line feeds only, no closing commas.
        WriteFileBytes(root / L"tvconvert.csv", "\"元のTV局名\",\"新しいTV局名\"\n\"局A\",\"局B\"\n");
        WriteFileBytes(root / L"tvchdata.csv", "\"TVChannel\",\"TVChannelNo\",\"TVURL\"\n\"局A\",\"21\",\"\"\n");
    }

    // Runs an import of `reserveDir` with the listing printed by the stand-in.
    RunResult Import(const std::wstring& reserveDir, const std::string& listing) {
        WriteFileBytes(root / L"listing.csv", listing);
        const ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
        return RunQuellix({reserveDir});
    }

    std::map<std::string, std::string> Files(const std::wstring& directory) const {
        std::map<std::string, std::string> files;
        for (const std::wstring& name : ListDir(directory)) {
            files[SjisFromWide(name)] = ReadFileBytes(directory + L"\\" + name);
        }
        return files;
    }

    // The log lines of the harvest, from its start line to its end line.
    std::vector<std::string> HarvestLog() const {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        const auto first = std::find(lines.begin(), lines.end(), "Quellix開始");
        const auto last = std::find(lines.begin(), lines.end(), "Quellix終了");
        if (first == lines.end() || last == lines.end() || last < first) {
            ADD_FAILURE() << "no harvest in the log";
            return lines;
        }
        return {first, last + 1};
    }

    std::string WorkFile() const { return SjisFromWide(temp) + "\\task.csv"; }

    TempDir root;
    std::wstring reserve = root / L"reserve\\GigaPocket";
    std::wstring temp = root / L"temp";
    // The program's work file goes to this test's own temporary folder.
    ScopedEnvironment tempVariable{L"TEMP", temp};
};

class StandInHarvestTest : public HarvestTest {
protected:
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn};
};

} // namespace quellix::e2e
