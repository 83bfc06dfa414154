// POSIX side of the operating-system boundary, so that file-touching logic runs in native tests.
#include "support/os.h"

#include "support/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace quellix::os {

namespace {

thread_local std::uint32_t g_lastError = 0;

// Backslashes that are real separators become slashes; 0x5C trail bytes stay.
std::string ToPosixPath(std::string_view path) {
    std::string out{path};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsSjisLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c == '\\') {
            out[i] = '/';
        }
    }
    return out;
}

bool Fail() {
    g_lastError = static_cast<std::uint32_t>(errno);
    return false;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (WildcardMatch(pattern.substr(1), name.substr(skip))) {
                return true;
            }
        }
        return false;
    }
    if (name.empty()) {
        return false;
    }
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (pattern.front() != '?' && lower(pattern.front()) != lower(name.front())) {
        return false;
    }
    return WildcardMatch(pattern.substr(1), name.substr(1));
}

} // namespace

struct File::Impl {
    int fd = -1;
};

File::File() = default;
File::File(std::unique_ptr<Impl> impl) : impl_{std::move(impl)} {}
File::File(File&&) noexcept = default;
File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        impl_ = std::move(other.impl_);
    }
    return *this;
}
File::~File() {
    Close();
}

bool File::IsOpen() const noexcept {
    return impl_ && impl_->fd >= 0;
}

long long File::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        return -1;
    }
    const ssize_t got = ::read(impl_->fd, buffer, size);
    if (got < 0) {
        Fail();
        return -1;
    }
    return got;
}

bool File::Write(std::string_view bytes) {
    if (!IsOpen()) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t put = ::write(impl_->fd, bytes.data(), bytes.size());
        if (put < 0) {
            return Fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool File::FlushToDisk() {
    return IsOpen() && (::fsync(impl_->fd) == 0 || Fail());
}

long long File::Size() const {
    struct stat info {};
    if (!IsOpen() || ::fstat(impl_->fd, &info) != 0) {
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

bool File::Close() {
    if (!IsOpen()) {
        return true;
    }
    const int fd = impl_->fd;
    impl_->fd = -1;
    return ::close(fd) == 0 || Fail();
}

File OpenFile(const std::string& path, OpenMode mode, Share /*share: POSIX has no mandatory sharing*/) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::ReadExisting:
        flags |= O_RDONLY;
        break;
    case OpenMode::CreateAlways:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case OpenMode::AppendOrCreate:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    case OpenMode::CreateNew:
        flags |= O_WRONLY | O_CREAT | O_EXCL;
        break;
    }
    const std::string posixPath = ToPosixPath(path);
    const int fd = ::open(posixPath.c_str(), flags, 0644);
    if (fd < 0) {
        Fail();
        return File{};
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        g_lastError = EISDIR;
        return File{};
    }
    auto impl = std::make_unique<File::Impl>();
    impl->fd = fd;
    return File{std::move(impl)};
}

std::uint32_t LastError() {
    return g_lastError;
}

std::uint32_t FileTooLargeError() {
    return EFBIG;
}

std::string ErrorMessage(std::uint32_t code) {
    return std::strerror(static_cast<int>(code));
}

// A POSIX system has no mandatory sharing: another program's open handle never makes a call fail.
bool WaitOutBriefHolds(const std::function<bool()>& attempt) {
    return attempt();
}

File OpenFileWaitingOutHolds(const std::string& path, OpenMode mode, Share share) {
    return OpenFile(path, mode, share);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(ToPosixPath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return ::stat(ToPosixPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& path) {
    return ::unlink(ToPosixPath(path).c_str()) == 0 || Fail();
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to) {
    const std::string target = ToPosixPath(to);
    if (::rename(ToPosixPath(from).c_str(), target.c_str()) != 0) {
        return Fail();
    }
    std::string dir = target.substr(0, target.find_last_of('/') == std::string::npos ? 0 : target.find_last_of('/'));
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool LinkFile(const std::string& existing, const std::string& link) {
    return ::link(ToPosixPath(existing).c_str(), ToPosixPath(link).c_str()) == 0 || Fail();
}

bool MakeDirectory(const std::string& path) {
    return ::mkdir(ToPosixPath(path).c_str(), 0755) == 0 || Fail();
}

struct FileEnumerator::Impl {
    DIR* dir = nullptr;
    std::string directory;
    std::string mask;
};

FileEnumerator::FileEnumerator(const std::string& pattern) : impl_{std::make_unique<Impl>()} {
    const std::size_t at = LastDelimiter(pattern, "\\:");
    impl_->directory = at == std::string::npos ? std::string{"."} : ToPosixPath(pattern.substr(0, at + 1));
    impl_->mask = at == std::string::npos ? pattern : pattern.substr(at + 1);
    impl_->dir = ::opendir(impl_->directory.c_str());
}

FileEnumerator::~FileEnumerator() {
    if (impl_->dir != nullptr) {
        ::closedir(impl_->dir);
    }
}

bool FileEnumerator::Next(std::string& name) {
    if (impl_->dir == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(impl_->dir)) {
        const std::string candidate = entry->d_name;
        if (!WildcardMatch(impl_->mask, candidate)) {
            continue;
        }
        struct stat info {};
        const std::string full = impl_->directory + "/" + candidate;
        if (::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            continue;
        }
        name = candidate;
        return true;
    }
    return false;
}

LocalDateTime Now() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    std::tm parts{};
    const std::time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &parts);
    return {parts.tm_year + 1900,
            parts.tm_mon + 1,
            parts.tm_mday,
            parts.tm_hour,
            parts.tm_min,
            parts.tm_sec,
            static_cast<int>(tv.tv_usec / 1000)};
}

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t got = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string{};
    for (char& c : path) {
        if (c == '/') {
            c = '\\'; // the program's paths use backslashes; ToPosixPath turns them back
        }
    }
    return path;
}

void SleepMilliseconds(unsigned milliseconds) {
    ::usleep(milliseconds * 1000U);
}

} // namespace quellix::os
