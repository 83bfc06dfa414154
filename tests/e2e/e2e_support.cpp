#include "tests/e2e/e2e_support.h"

#include "tests/shared/start_process_win.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>

namespace quellix::e2e {

std::wstring BinDir() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring QuellixExe() {
    return BinDir() + L"\\quellix.exe";
}

namespace {
UniqueHkey CreateKey(const std::wstring& key) {
    UniqueHkey handle;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(), nullptr);
    return handle;
}
} // namespace

void SetRegistryString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    const UniqueHkey handle = CreateKey(key);
    ASSERT_TRUE(handle);
    ::RegSetValueExW(handle.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SetRegistryDword(const std::wstring& key, const std::wstring& name, DWORD value) {
    const UniqueHkey handle = CreateKey(key);
    ASSERT_TRUE(handle);
    ::RegSetValueExW(handle.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void DeleteRegistryValue(const std::wstring& key, const std::wstring& name) {
    UniqueHkey handle;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, handle.put()) == ERROR_SUCCESS) {
        ::RegDeleteValueW(handle.get(), name.c_str());
    }
}

void DeleteRegistryTree(const std::wstring& key) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

void SetRootPath(const std::wstring& root) {
    SetRegistryString(kHostKey, L"RootPath", root);
}

namespace {
constexpr const wchar_t* kWineDllOverrides = L"Software\\Wine\\DllOverrides";

// The system directories of both bitnesses as this program reaches them: its own, and under WoW64
// the other one (a 32-bit program sees System32 through the "Sysnative" alias, since its own
// "System32" is redirected to SysWOW64). On 32-bit Windows there is only the one.
std::vector<std::wstring> SystemDirectories() {
    wchar_t directory[MAX_PATH]{};
    std::vector<std::wstring> directories;
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    if (wow64) {
        directories.push_back(std::wstring{directory, ::GetWindowsDirectoryW(directory, MAX_PATH)} + L"\\Sysnative");
    } else {
        directories.emplace_back(directory, ::GetSystemDirectoryW(directory, MAX_PATH));
    }
    const UINT length = ::GetSystemWow64DirectoryW(directory, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        directories.emplace_back(directory, length);
    }
    return directories;
}
} // namespace

SystemSchtasks::SystemSchtasks(Kind kind) {
    for (const std::wstring& directory : SystemDirectories()) {
        const std::wstring path = directory + L"\\schtasks.exe";
        const std::wstring saved = path + L".quellix-saved";
        if (!FileExists(saved)) {
            ::MoveFileW(path.c_str(), saved.c_str());
        }
        ::DeleteFileW(path.c_str());
        if (kind == Kind::StandIn) {
            EXPECT_TRUE(::CopyFileW((BinDir() + L"\\schtasks.exe").c_str(), path.c_str(), FALSE))
                << "cannot put the stand-in into " << directory << ": error " << ::GetLastError();
        }
        paths_.push_back(path);
    }
    SetRegistryString(kWineDllOverrides, L"schtasks.exe", L"native");
}

SystemSchtasks::~SystemSchtasks() {
    DeleteRegistryValue(kWineDllOverrides, L"schtasks.exe");
    for (const std::wstring& path : paths_) {
        ::DeleteFileW(path.c_str());
        ::MoveFileW((path + L".quellix-saved").c_str(), path.c_str());
    }
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t") == std::wstring::npos) {
        return argument;
    }
    return L"\"" + argument + L"\"";
}

PROCESS_INFORMATION StartQuellix(const std::vector<std::wstring>& arguments, const ProcessOptions& options) {
    std::wstring commandLine = QuoteArgument(QuellixExe());
    for (const std::wstring& argument : arguments) {
        commandLine += L" " + QuoteArgument(argument);
    }
    std::wstring environment;
    if (!options.extraEnvironment.empty()) {
        wchar_t* block = ::GetEnvironmentStringsW();
        for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
            environment.append(p).push_back(L'\0');
        }
        ::FreeEnvironmentStringsW(block);
        for (const std::wstring& entry : options.extraEnvironment) {
            environment.append(entry).push_back(L'\0');
        }
        environment.push_back(L'\0');
    }
    PROCESS_INFORMATION process{};
    const BOOL started = test_process::StartProcess(
        commandLine, CREATE_UNICODE_ENVIRONMENT, environment.empty() ? nullptr : environment.data(),
        options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &process, options.showCommand);
    EXPECT_TRUE(started) << "cannot start quellix.exe: error " << ::GetLastError();
    return process;
}

RunResult WaitAndClose(PROCESS_INFORMATION& process, DWORD timeoutMs) {
    RunResult result;
    if (process.hProcess == nullptr) {
        return result;
    }
    result.finished = ::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!result.finished) {
        ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    process = {};
    return result;
}

RunResult RunQuellix(const std::vector<std::wstring>& arguments, DWORD timeoutMs, const ProcessOptions& options) {
    PROCESS_INFORMATION process = StartQuellix(arguments, options);
    return WaitAndClose(process, timeoutMs);
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    HWND window = nullptr;
    (void)WaitUntil(
        [&] {
            while ((window = ::FindWindowExW(nullptr, window, L"TFormPdigi", nullptr)) != nullptr) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == processId) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return window;
}

std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH]{};
    return {directory, ::GetSystemDirectoryW(directory, MAX_PATH)};
}

std::optional<std::wstring> Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
    }
    return std::wstring{buffer, length};
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value)
    : name_{name}, previous_{Environment(name)} {
    ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
    ::SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr);
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueFileHandle file{::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr)};
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file{::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    ASSERT_TRUE(file) << "cannot create test file, error " << ::GetLastError();
    DWORD put = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> ListDir(const std::wstring& path) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    UniqueFindHandle find{::FindFirstFileW((path + L"\\*").c_str(), &entry)};
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(name);
            }
        } while (::FindNextFileW(find.get(), &entry));
    }
    std::sort(names.begin(), names.end());
    return names;
}

int LiveChildren(DWORD parent) {
    const UniqueKernelHandle snapshot{::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int children = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent &&
            ::lstrcmpiW(entry.szExeFile, L"explorer.exe") != 0) {
            ++children;
        }
    }
    return children;
}

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace quellix::e2e
