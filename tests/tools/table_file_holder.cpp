// Another program touching a channel-table file, for the sharing tests:
//   table_file_holder try-read <path>     exit 0 when the file opens for reading, else the error code
//   table_file_holder try-write <path>    the same for writing
//   table_file_holder hold-write <path> <ready event> <release event>
//       keeps the file open for writing (others may read) until the release event is set
//   table_file_holder hold-briefly <path> <ready event> <milliseconds>
//       keeps the file open without sharing for that long, as a virus scanner does
#include <windows.h>

#include <string>

namespace {

std::wstring Wide(const char* text) {
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), needed);
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

int TryOpen(const std::wstring& path, DWORD access) {
    HANDLE file = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return static_cast<int>(::GetLastError());
    }
    ::CloseHandle(file);
    return 0;
}

int HoldForWriting(const std::wstring& path, const std::wstring& ready, const std::wstring& release) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return static_cast<int>(::GetLastError());
    }
    HANDLE readyEvent = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready.c_str());
    HANDLE releaseEvent = ::OpenEventW(SYNCHRONIZE, FALSE, release.c_str());
    if (readyEvent == nullptr || releaseEvent == nullptr) {
        return 2;
    }
    ::SetEvent(readyEvent);
    const DWORD waited = ::WaitForSingleObject(releaseEvent, 60000);
    ::CloseHandle(file);
    ::CloseHandle(readyEvent);
    ::CloseHandle(releaseEvent);
    return waited == WAIT_OBJECT_0 ? 0 : 3;
}

int HoldBriefly(const std::wstring& path, const std::wstring& ready, DWORD milliseconds) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return static_cast<int>(::GetLastError());
    }
    HANDLE readyEvent = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready.c_str());
    if (readyEvent == nullptr) {
        return 2;
    }
    ::SetEvent(readyEvent);
    ::Sleep(milliseconds);
    ::CloseHandle(file);
    ::CloseHandle(readyEvent);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "try-read" && argc == 3) {
        return TryOpen(Wide(argv[2]), GENERIC_READ);
    }
    if (command == "try-write" && argc == 3) {
        return TryOpen(Wide(argv[2]), GENERIC_WRITE);
    }
    if (command == "hold-write" && argc == 5) {
        return HoldForWriting(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]));
    }
    if (command == "hold-briefly" && argc == 5) {
        return HoldBriefly(Wide(argv[2]), Wide(argv[3]), static_cast<DWORD>(std::stoul(argv[4])));
    }
    return 1;
}
