// Win32 side of the operating-system boundary: W functions, names converted with code page 932.
#include "support/os.h"

#include "support/cp932_win.h"
#include "support/message_queue_win.h"
#include "support/text.h"
#include "support/unique_handle_win.h"

#include <windows.h>

#include <algorithm>

namespace quellix::os {

namespace {

thread_local std::uint32_t g_lastError = 0;

bool Fail() {
    g_lastError = ::GetLastError();
    return false;
}

// The errors another program's open handle gives: no sharing of what we ask for (a scanner's
// handle, a spreadsheet's), a byte range locked, or a file being deleted or replaced by it.
bool IsBriefHold(std::uint32_t code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
}

// About one second in all, as database engines on Windows wait out the same holds; short sleeps,
// so a hold of a few milliseconds costs a few milliseconds.
constexpr ULONGLONG kBriefHoldMilliseconds = 1000;
constexpr ULONGLONG kBriefHoldStepMilliseconds = 25;

} // namespace

struct File::Impl {
    UniqueFileHandle handle;
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
    return impl_ && static_cast<bool>(impl_->handle);
}

long long File::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        return -1;
    }
    DWORD got = 0;
    if (!::ReadFile(impl_->handle.get(), buffer, static_cast<DWORD>(size), &got, nullptr)) {
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
        DWORD put = 0;
        const DWORD chunk = bytes.size() > 0x10000000U ? 0x10000000U : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(impl_->handle.get(), bytes.data(), chunk, &put, nullptr)) {
            return Fail();
        }
        bytes.remove_prefix(put);
    }
    return true;
}

bool File::FlushToDisk() {
    return IsOpen() && (::FlushFileBuffers(impl_->handle.get()) || Fail());
}

long long File::Size() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !::GetFileSizeEx(impl_->handle.get(), &size)) {
        return -1;
    }
    return size.QuadPart;
}

bool File::Close() {
    if (!IsOpen()) {
        return true;
    }
    return ::CloseHandle(impl_->handle.release()) || Fail();
}

File OpenFile(const std::string& path, OpenMode mode, Share share) {
    DWORD access = GENERIC_WRITE;
    DWORD disposition = CREATE_ALWAYS;
    switch (mode) {
    case OpenMode::ReadExisting:
        access = GENERIC_READ;
        disposition = OPEN_EXISTING;
        break;
    case OpenMode::CreateAlways:
        break;
    case OpenMode::AppendOrCreate:
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        break;
    case OpenMode::CreateNew:
        disposition = CREATE_NEW;
        break;
    }
    DWORD shareMode = 0;
    switch (share) {
    case Share::None:
        break;
    case Share::Read:
        shareMode = FILE_SHARE_READ;
        break;
    case Share::ReadWrite:
        shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    }
    UniqueFileHandle handle{::CreateFileW(WideFromSjis(path).c_str(), access, shareMode, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!handle) {
        Fail();
        return File{};
    }
    auto impl = std::make_unique<File::Impl>();
    impl->handle = std::move(handle);
    return File{std::move(impl)};
}

std::uint32_t LastError() {
    return g_lastError;
}

std::uint32_t FileTooLargeError() {
    return ERROR_FILE_TOO_LARGE;
}

std::string ErrorMessage(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? Trim(SjisFromWide(std::wstring_view{buffer, length})) : std::string{};
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    if (text.empty()) {
        text = "理由の分からない Windows のエラー";
    }
    return text;
}

bool WaitOutBriefHolds(const std::function<bool()>& attempt) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (attempt()) {
            return true;
        }
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (!IsBriefHold(g_lastError) || waited >= kBriefHoldMilliseconds) {
            return false;
        }
        ::Sleep(static_cast<DWORD>(std::min(kBriefHoldStepMilliseconds, kBriefHoldMilliseconds - waited)));
        DispatchPendingMessages();
    }
}

File OpenFileWaitingOutHolds(const std::string& path, OpenMode mode, Share share) {
    File file;
    WaitOutBriefHolds([&] {
        file = OpenFile(path, mode, share);
        return file.IsOpen();
    });
    return file;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromSjis(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromSjis(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(WideFromSjis(path).c_str()) || Fail();
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to) {
    return ::MoveFileExW(WideFromSjis(from).c_str(), WideFromSjis(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           Fail();
}

bool LinkFile(const std::string& existing, const std::string& link) {
    return ::CreateHardLinkW(WideFromSjis(link).c_str(), WideFromSjis(existing).c_str(), nullptr) || Fail();
}

bool MakeDirectory(const std::string& path) {
    return ::CreateDirectoryW(WideFromSjis(path).c_str(), nullptr) || Fail();
}

struct FileEnumerator::Impl {
    UniqueFindHandle find;
    WIN32_FIND_DATAW data{};
    bool pending = false; // `data` holds an entry not yet returned
};

FileEnumerator::FileEnumerator(const std::string& pattern) : impl_{std::make_unique<Impl>()} {
    impl_->find.reset(::FindFirstFileW(WideFromSjis(pattern).c_str(), &impl_->data));
    impl_->pending = static_cast<bool>(impl_->find);
}

FileEnumerator::~FileEnumerator() = default;

bool FileEnumerator::Next(std::string& name) {
    while (impl_->pending) {
        const WIN32_FIND_DATAW entry = impl_->data;
        impl_->pending = ::FindNextFileW(impl_->find.get(), &impl_->data) != FALSE;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            name = SjisFromWide(entry.cFileName);
            return true;
        }
    }
    return false;
}

LocalDateTime Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got < buffer.size()) {
            buffer.resize(got);
            return SjisPathFromWide(buffer).value_or(SjisFromWide(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
}

void SleepMilliseconds(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace quellix::os
