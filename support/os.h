// The operating-system boundary: files with sharing modes, directory entries, environment and
// clock. Paths are Shift_JIS byte strings with backslashes, as everywhere in the program; the
// Win32 side converts them with code page 932, the POSIX side (native tests) turns backslashes
// into slashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quellix::os {

enum class OpenMode {
    ReadExisting,   // an existing file, for reading
    CreateAlways,   // created, or emptied when it exists, for writing
    AppendOrCreate, // appended to when it exists, created otherwise, for writing
    CreateNew,      // created for writing; fails when the entry already exists
};

// What other openers of the same file may do while this handle is open.
enum class Share {
    None,      // nobody else may open it
    Read,      // others may read, nobody may write
    ReadWrite, // others may read and write
};

// An open file. Not copyable; closes in its destructor.
class File {
public:
    File();
    File(File&&) noexcept;
    File& operator=(File&&) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    [[nodiscard]] bool IsOpen() const noexcept;
    // Bytes read, 0 at the end of the file, -1 on an error.
    [[nodiscard]] long long Read(void* buffer, std::size_t size);
    [[nodiscard]] bool Write(std::string_view bytes);
    // Pushes everything written so far to the disk itself, not only to the system's cache.
    [[nodiscard]] bool FlushToDisk();
    // The file's size in bytes; -1 when the system cannot tell.
    [[nodiscard]] long long Size() const;
    // Closes now; false when the system reported an error on closing.
    bool Close();

    struct Impl;
    explicit File(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

// Opens a file; the result is not open on failure, and LastError() tells why.
[[nodiscard]] File OpenFile(const std::string& path, OpenMode mode, Share share);

// The system's error code of the last failed call of this boundary on this thread.
[[nodiscard]] std::uint32_t LastError();
// The system's error code for a file too large to handle.
[[nodiscard]] std::uint32_t FileTooLargeError();
// The system's text for an error code, in Shift_JIS.
[[nodiscard]] std::string ErrorMessage(std::uint32_t code);

[[nodiscard]] bool FileExists(const std::string& path);
[[nodiscard]] bool DirectoryExists(const std::string& path);
bool RemoveFile(const std::string& path);
// Moves `from` over `to` in one step, replacing `to` when it exists; the entry `to` never goes
// missing on the way. Flushed through to the disk before returning.
bool ReplaceFileAtomically(const std::string& from, const std::string& to);
// Gives the existing file `existing` a second name `link` (same contents, no copy); fails when
// `link` exists or the file system has no hard links.
bool LinkFile(const std::string& existing, const std::string& link);
// Creates one directory level.
bool MakeDirectory(const std::string& path);

// Another program may hold a file for a moment: a virus scanner or the search indexer opens a
// file the moment it is written, a cloud-sync client while it uploads it. A call that meets such a
// hold fails with access denied, a sharing violation or a lock violation. `attempt` (a call of
// this boundary, false on failure) is made again after short sleeps while it fails with one of
// these, for about one second in all, the window's messages dispatched meanwhile as in the
// program's other waits; then its last failure stands, LastError() telling why, as without the
// wait. Any other failure ends it at once. Where the system has no such holds it is one attempt.
bool WaitOutBriefHolds(const std::function<bool()>& attempt);
// OpenFile that waits out brief holds.
[[nodiscard]] File OpenFileWaitingOutHolds(const std::string& path, OpenMode mode, Share share);

// Walks the entries that match a wildcard pattern ("dir\*.tvpi": "*" and "?" in the last
// component, letter case ignored), leaving out directories.
class FileEnumerator {
public:
    explicit FileEnumerator(const std::string& pattern);
    FileEnumerator(const FileEnumerator&) = delete;
    FileEnumerator& operator=(const FileEnumerator&) = delete;
    ~FileEnumerator();
    // The next entry's name (without directory); false when there is none left.
    [[nodiscard]] bool Next(std::string& name);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

struct LocalDateTime {
    int year{};
    int month{};
    int day{};
    int hour{};
    int minute{};
    int second{};
    int millisecond{};
};
[[nodiscard]] LocalDateTime Now();

// Full path of the running program's executable file.
[[nodiscard]] std::string ExecutablePath();

// Gives up the rest of the thread's time slice / sleeps.
void SleepMilliseconds(unsigned milliseconds);

} // namespace quellix::os
