// A fresh temporary folder for native tests, as a program path (backslashes; the POSIX side of
// the operating-system boundary turns them back into slashes).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quellix::testing_support {

class NativeTempDir {
public:
    NativeTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-unit-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    NativeTempDir(const NativeTempDir&) = delete;
    NativeTempDir& operator=(const NativeTempDir&) = delete;
    ~NativeTempDir() {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    // The folder as a POSIX path.
    [[nodiscard]] const std::string& Native() const noexcept { return dir_; }
    // The folder as the program writes paths: with backslashes, without a trailing one.
    [[nodiscard]] std::string Path() const { return ToProgramPath(dir_); }
    [[nodiscard]] std::string File(const std::string& name) const { return Path() + "\\" + name; }
    [[nodiscard]] std::string NativeFile(const std::string& name) const { return dir_ + "/" + name; }

    static std::string ToProgramPath(std::string path) {
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
    }

private:
    std::string dir_;
};

inline std::string ReadAll(const std::string& nativePath) {
    std::ifstream in{nativePath, std::ios::binary};
    return {std::istreambuf_iterator<char>{in}, std::istreambuf_iterator<char>{}};
}

inline void WriteAll(const std::string& nativePath, const std::string& bytes) {
    std::ofstream out{nativePath, std::ios::binary | std::ios::trunc};
    out << bytes;
}

} // namespace quellix::testing_support
