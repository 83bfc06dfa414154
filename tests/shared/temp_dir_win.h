// A fresh folder under the system's temporary folder for the Windows tests (in-process and end to
// end), removed with all it holds at the end. Its files are named as program paths (Shift_JIS) or,
// for the end-to-end tests' command lines and registry values, in UTF-16.
#pragma once

#include "support/cp932_win.h"
#include "support/unique_handle_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace quellix::testing_support {

// Removes a folder with everything in it, read-only entries too.
inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry{};
    UniqueFindHandle find{::FindFirstFileW((path + L"\\*").c_str(), &entry)};
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring full = path + L"\\" + name;
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(full);
            } else {
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find.get(), &entry));
    }
    find.reset();
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
}

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        wchar_t base[MAX_PATH]{};
        ::GetTempPathW(MAX_PATH, base);
        do {
            path_ = std::wstring{base} + L"qx-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(counter++) + L"-" + std::to_wstring(::GetTickCount());
        } while (!::CreateDirectoryW(path_.c_str(), nullptr));
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() { RemoveTree(path_); }

    // Without a trailing backslash.
    [[nodiscard]] const std::wstring& Path() const noexcept { return path_; }
    [[nodiscard]] std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    // A file in the folder as a program path.
    [[nodiscard]] std::string File(const std::string& name) const { return SjisFromWide(path_) + "\\" + name; }

    [[nodiscard]] std::string Read(const std::string& name) const {
        const UniqueFileHandle file{::CreateFileW(WideFromSjis(File(name)).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
        std::string bytes;
        char block[65536];
        DWORD got = 0;
        while (file && ::ReadFile(file.get(), block, sizeof block, &got, nullptr) && got > 0) {
            bytes.append(block, got);
        }
        return bytes;
    }
    void Write(const std::string& name, std::string_view bytes) const {
        const UniqueFileHandle file{::CreateFileW(WideFromSjis(File(name)).c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
        DWORD put = 0;
        if (file) {
            ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        }
    }
    // The names of the files in the folder (not of its folders), sorted.
    [[nodiscard]] std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW entry{};
        UniqueFindHandle find{::FindFirstFileW((path_ + L"\\*").c_str(), &entry)};
        for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &entry) != FALSE) {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.push_back(SjisFromWide(entry.cFileName));
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring path_;
};

} // namespace quellix::testing_support
