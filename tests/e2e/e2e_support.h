// Helpers for the end-to-end tests: a fresh temporary folder per test, the host's registry value,
// starting the real quellix.exe with a real command line, and reading what it wrote.
#pragma once

#include "support/unique_handle_win.h"
#include "tests/shared/temp_dir_win.h"
#include "tests/shared/wait_win.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quellix::e2e {

inline constexpr const wchar_t* kHostKey = L"software\\Morvane\\Pexlan2\\etc";

// The folder of the running test program (quellix.exe and the test tools lie beside it).
[[nodiscard]] std::wstring BinDir();
[[nodiscard]] std::wstring QuellixExe();

using testing_support::kEventLimitMs;
using testing_support::RemoveTree;
using testing_support::TempDir;
using testing_support::WaitUntil;

// HKEY_CURRENT_USER values.
void SetRegistryString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
void SetRegistryDword(const std::wstring& key, const std::wstring& name, DWORD value);
void DeleteRegistryValue(const std::wstring& key, const std::wstring& name);
void DeleteRegistryTree(const std::wstring& key);
void SetRootPath(const std::wstring& root);

// The system's schtasks.exe replaced by the stand-in (or taken away), the original put back at
// the end of the scope. Under WoW64 a 32-bit program's system directory is SysWOW64 and a 64-bit
// one's System32, so the stand-in goes into both, whatever the bitness of quellix.exe and of this
// test. Wine runs its own built-in schtasks.exe in place of a program file of that name in the
// system directory unless its load order says otherwise; a WINEDLLOVERRIDES variable set here
// would not reach the loader of quellix.exe's child, the prefix's registry does.
// The stand-in is tests/tools/schtasks.cpp, printing the file that QUELLIX_SCHTASKS_LISTING names.
class SystemSchtasks {
public:
    enum class Kind { StandIn, Missing };

    explicit SystemSchtasks(Kind kind);
    SystemSchtasks(const SystemSchtasks&) = delete;
    SystemSchtasks& operator=(const SystemSchtasks&) = delete;
    ~SystemSchtasks();

private:
    std::vector<std::wstring> paths_;
};

// Quotes one argument as a host writes a path, so that the program's argument splitting gives it
// back unchanged: in double quotes when it is empty or holds a blank or a tab, backslashes as
// they stand (an argument cannot hold a double quote).
[[nodiscard]] std::wstring QuoteArgument(const std::wstring& argument);

struct ProcessOptions {
    std::wstring workingDirectory;              // empty: the test's own
    std::vector<std::wstring> extraEnvironment; // "NAME=value" entries added to the test's environment
    int showCommand = -1;                       // the host's show command (SW_...); negative: none given
};

// Starts quellix.exe with these arguments.
[[nodiscard]] PROCESS_INFORMATION StartQuellix(const std::vector<std::wstring>& arguments,
                                               const ProcessOptions& options = {});

struct RunResult {
    bool finished = false; // ended within the time limit
    DWORD exitCode = 0;
};

// Starts quellix.exe and waits for it to end (killing it after `timeoutMs`).
RunResult RunQuellix(const std::vector<std::wstring>& arguments, DWORD timeoutMs = kEventLimitMs,
                     const ProcessOptions& options = {});
// Waits for a started process, closes its handles.
RunResult WaitAndClose(PROCESS_INFORMATION& process, DWORD timeoutMs = kEventLimitMs);

// The main window of the given process (class TFormPdigi), waiting up to `timeoutMs` for it.
[[nodiscard]] HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = kEventLimitMs);

[[nodiscard]] std::wstring SystemDirectory();

// An environment variable of the test; nullopt when it is not set.
[[nodiscard]] std::optional<std::wstring> Environment(const wchar_t* name);

// Sets an environment variable of the test, which quellix.exe and its children inherit, until
// the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

private:
    const wchar_t* name_;
    std::optional<std::wstring> previous_;
};

// The number of processes still running that `parent` started. Wine's desktop process
// (explorer.exe), which Wine starts from the first program that shows a window and which outlives
// it, is not counted: on Windows no program of ours starts it.
[[nodiscard]] int LiveChildren(DWORD parent);

// Whether the tests run under Wine (for its known differences from Windows, each marked).
[[nodiscard]] bool UnderWine();

// Whole files as bytes.
[[nodiscard]] std::string ReadFileBytes(const std::wstring& path);
[[nodiscard]] bool FileExists(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The lines of a CR LF text file (the last, empty piece after the final CR LF left out).
[[nodiscard]] std::vector<std::string> ReadLines(const std::wstring& path);
// Entries of a folder (names only, sorted), files and folders.
[[nodiscard]] std::vector<std::wstring> ListDir(const std::wstring& path);

} // namespace quellix::e2e
