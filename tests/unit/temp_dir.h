// A fresh temporary folder for native tests, removed with all it holds at the end. Files in it
// are named as the program writes paths (backslashes; the POSIX side of the operating-system
// boundary turns them back into slashes) or natively, for the test's own reads and writes.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quellix::testing_support {

inline std::string ReadAll(const std::string& nativePath) {
    std::ifstream in{nativePath, std::ios::binary};
    return {std::istreambuf_iterator<char>{in}, std::istreambuf_iterator<char>{}};
}

inline void WriteAll(const std::string& nativePath, const std::string& bytes) {
    std::ofstream out{nativePath, std::ios::binary | std::ios::trunc};
    out << bytes;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-unit-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    // The folder, and a file in it, as POSIX paths.
    [[nodiscard]] const std::string& Native() const noexcept { return dir_; }
    [[nodiscard]] std::string Native(const std::string& name) const { return dir_ + "/" + name; }
    // The folder as the program writes paths: with backslashes, without a trailing one.
    [[nodiscard]] std::string Path() const { return ToProgramPath(dir_); }
    [[nodiscard]] std::string File(const std::string& name) const { return Path() + "\\" + name; }

    [[nodiscard]] bool Exists(const std::string& name) const { return std::filesystem::exists(Native(name)); }
    [[nodiscard]] std::string Read(const std::string& name) const { return ReadAll(Native(name)); }
    void Write(const std::string& name, const std::string& bytes) const { WriteAll(Native(name), bytes); }
    // The names of the folder's entries, sorted.
    [[nodiscard]] std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator{dir_}) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static std::string ToProgramPath(std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }

    std::string dir_;
};

} // namespace quellix::testing_support
