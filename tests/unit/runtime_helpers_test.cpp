#include "app/runtime_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace quellix {
namespace {

// A fresh folder, given to the program with backslashes (the POSIX boundary turns them back).
class Folder {
public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-helpers-XXXXXX").string();
        native_ = ::mkdtemp(pattern.data());
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(native_, ignored);
    }
    [[nodiscard]] std::string Path(const std::string& name) const {
        std::string path = native_ + "/" + name;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        return path;
    }
    void Touch(const std::string& name, const std::string& bytes = "x") const {
        std::ofstream{native_ + "/" + name, std::ios::binary} << bytes;
    }
    [[nodiscard]] std::string Native(const std::string& name) const { return native_ + "/" + name; }

private:
    std::string native_;
};

TEST(MakeUniqueName, NumbersTheNameUntilItIsFree) {
    const Folder folder;
    const std::string report = folder.Path("report.txt");
    EXPECT_EQ(MakeUniqueName(report), report);
    folder.Touch("report.txt");
    EXPECT_EQ(MakeUniqueName(report), folder.Path("report(1).txt"));
    folder.Touch("report(1).txt");
    EXPECT_EQ(MakeUniqueName(report), folder.Path("report(2).txt"));

    folder.Touch("notes");
    EXPECT_EQ(MakeUniqueName(folder.Path("notes")), folder.Path("notes(1)"));
    folder.Touch("a.b.c");
    EXPECT_EQ(MakeUniqueName(folder.Path("a.b.c")), folder.Path("a.b(1).c"));
    // A dot in a directory name is no extension; a directory of that name does not count.
    std::filesystem::create_directory(folder.Native("dir.d"));
    EXPECT_EQ(MakeUniqueName(folder.Path("dir.d")), folder.Path("dir.d"));
    folder.Touch("dir.d/plain");
    EXPECT_EQ(MakeUniqueName(folder.Path("dir.d\\plain")), folder.Path("dir.d\\plain(1)"));
}

TEST(OpenRetry, MakesRetriesPlusOneAttemptsAndWaitsBetweenThem) {
    const Folder folder;
    int waits = 0;
    const RetryWait countWaits = [&] { ++waits; };
    TTextFile missing{folder.Path("missing.txt"), {}};
    EXPECT_FALSE(OpenForReadRetry(missing, 0, countWaits));
    EXPECT_EQ(waits, 0);
    EXPECT_FALSE(OpenForReadRetry(missing, 2, countWaits));
    EXPECT_EQ(waits, 2); // no wait after the last attempt
    EXPECT_FALSE(missing.Handle.IsOpen());
    // The default wait is a real minute; with 0 retries it is never reached.
    EXPECT_FALSE(OpenForReadRetry(missing, 0));

    // The file appears during the first wait: the second attempt opens it.
    waits = 0;
    TTextFile late{folder.Path("late.txt"), {}};
    EXPECT_TRUE(OpenForReadRetry(late, 3, [&] {
        ++waits;
        folder.Touch("late.txt", "hello");
    }));
    EXPECT_EQ(waits, 1);
    char buffer[8]{};
    EXPECT_EQ(late.Handle.Read(buffer, sizeof buffer), 5);
}

TEST(OpenRetry, WriteCreatesOrEmptiesTheFile) {
    const Folder folder;
    folder.Touch("out.txt", "old contents");
    TTextFile out{folder.Path("out.txt"), {}};
    ASSERT_TRUE(OpenForWriteRetry(out, 0));
    EXPECT_TRUE(out.Handle.Write("new"));
    out.Handle.Close();
    std::ifstream in{folder.Native("out.txt")};
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "new");

    int waits = 0;
    TTextFile inNewDir{folder.Path("sub\\file.txt"), {}};
    EXPECT_TRUE(OpenForWriteRetry(inNewDir, 1, [&] {
        ++waits;
        std::filesystem::create_directory(folder.Native("sub"));
    }));
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(OpenForWriteRetry(inNewDir, -1, [&] { ++waits; })); // no attempt at all
}

// Sets or clears an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_{name} {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }

private:
    void Set(const char* value) const {
        if (value != nullptr) {
            ::setenv(name_.c_str(), value, 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    std::string name_;
    std::optional<std::string> old_;
};

TEST(GetTempDir, AddsOneTrailingBackslash) {
    {
        const ScopedEnv env{"temp", " C:\\TEMP \t"};
        EXPECT_EQ(GetEnvVar("temp"), "C:\\TEMP");
        EXPECT_EQ(GetTempDir(), "C:\\TEMP\\");
    }
    {
        const ScopedEnv env{"temp", "C:\\TEMP\\"};
        EXPECT_EQ(GetTempDir(), "C:\\TEMP\\");
    }
    {
        const ScopedEnv env{"temp", nullptr};
        EXPECT_EQ(GetEnvVar("temp"), "");
        EXPECT_EQ(GetTempDir(), "\\");
    }
}

} // namespace
} // namespace quellix
