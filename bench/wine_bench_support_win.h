// What the import-run benchmarks share: the programs beside the benchmark, the host's registry
// value, the Task Scheduler stand-in put in place of the system's tool, and timing a process.
#pragma once

#include "support/unique_handle_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quellix::bench {

inline std::wstring BinDir() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\'));
}

inline std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH]{};
    return {directory, ::GetSystemDirectoryW(directory, MAX_PATH)};
}

inline void SetRegistryString(const wchar_t* keyName, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot create the registry key %ls\n", keyName);
        std::exit(1);
    }
    const UniqueHkey owned{key};
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline void DeleteRegistryValue(const wchar_t* keyName, const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        const UniqueHkey owned{key};
        ::RegDeleteValueW(key, name);
    }
}

// The tests' stand-in (schtasks.exe beside the benchmark, printing the file that
// QUELLIX_SCHTASKS_LISTING names) in place of the system's schtasks.exe until the end of the scope.
// Wine runs its built-in tool instead of a program file of that name unless the prefix's load order
// says otherwise.
class StandInTool {
public:
    StandInTool() {
        if (::GetFileAttributesW(saved_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::MoveFileW(path_.c_str(), saved_.c_str());
        }
        ::DeleteFileW(path_.c_str());
        if (!::CopyFileW((BinDir() + L"\\schtasks.exe").c_str(), path_.c_str(), FALSE)) {
            std::fprintf(stderr, "cannot put the stand-in tool in place: error %lu\n", ::GetLastError());
            std::exit(1);
        }
        SetRegistryString(kOverrides, L"schtasks.exe", L"native");
    }
    StandInTool(const StandInTool&) = delete;
    StandInTool& operator=(const StandInTool&) = delete;
    ~StandInTool() {
        DeleteRegistryValue(kOverrides, L"schtasks.exe");
        ::DeleteFileW(path_.c_str());
        ::MoveFileW(saved_.c_str(), path_.c_str());
    }

    // What the stand-in prints from now on.
    static void Print(const std::wstring& listing) {
        ::SetEnvironmentVariableW(L"QUELLIX_SCHTASKS_LISTING", listing.c_str());
    }

private:
    static constexpr const wchar_t* kOverrides = L"Software\\Wine\\DllOverrides";
    std::wstring path_ = SystemDirectory() + L"\\schtasks.exe";
    std::wstring saved_ = SystemDirectory() + L"\\schtasks.exe.quellix-saved";
};

inline double Now() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline PROCESS_INFORMATION Start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "cannot start: %ls\n", commandLine.c_str());
        std::exit(1);
    }
    return process;
}

inline void WaitAndClose(PROCESS_INFORMATION& process) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    process = {};
}

// Wall time of one run of the command line, process start to exit, in seconds.
inline double RunSeconds(const std::wstring& commandLine) {
    const double start = Now();
    PROCESS_INFORMATION process = Start(commandLine);
    WaitAndClose(process);
    return Now() - start;
}

inline std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The mean of the faster half: under Wine a process start now and then waits on the server or the
// other core, which only ever adds time; this leaves those runs out without resting on one.
inline double FasterHalfMean(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t half = std::max<std::size_t>(1, values.size() / 2);
    double sum = 0;
    for (std::size_t i = 0; i < half; ++i) {
        sum += values[i];
    }
    return sum / static_cast<double>(half);
}

inline double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// Calls `visit` with the path of every file of a directory (not its subdirectories); returns how
// many there were.
template <typename Visit> int ForEachFile(const std::wstring& directory, Visit visit) {
    int count = 0;
    WIN32_FIND_DATAW entry{};
    const UniqueFindHandle find{::FindFirstFileW((directory + L"\\*").c_str(), &entry)};
    if (!find) {
        return 0;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            visit(directory + L"\\" + entry.cFileName);
            ++count;
        }
    } while (::FindNextFileW(find.get(), &entry));
    return count;
}

// The files of a directory deleted; returns how many there were.
inline int EmptyDirectory(const std::wstring& directory) {
    return ForEachFile(directory, [](const std::wstring& path) { ::DeleteFileW(path.c_str()); });
}

inline int CountFiles(const std::wstring& directory) {
    return ForEachFile(directory, [](const std::wstring&) {});
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFileHandle file{::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    DWORD put = 0;
    if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) ||
        put != bytes.size()) {
        std::fprintf(stderr, "cannot write %ls\n", path.c_str());
        std::exit(1);
    }
}

} // namespace quellix::bench
