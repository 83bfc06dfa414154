// A stand-in for the system's Task Scheduler tool: prints a prepared listing to its standard
// output byte for byte, whatever its arguments, or fails as the tool does.
//   QUELLIX_SCHTASKS_LISTING       the file to print; when not set, the tool's note that there are
//                                  no tasks (an empty listing)
//   QUELLIX_SCHTASKS_DELAY_MS      milliseconds to wait before printing (a slow tool)
//   QUELLIX_SCHTASKS_COMMAND_FILE  where to record the command line it was started with (UTF-8)
//   QUELLIX_SCHTASKS_ERROR_MODE_FILE  where to record its error mode (GetErrorMode(), in decimal),
//                                  which it inherits from the program that started it
//   QUELLIX_SCHTASKS_ERROR         a text to print to the standard error, in the system's code page
//   QUELLIX_SCHTASKS_EXIT_CODE     the exit code to end with (0 when not set)
#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::wstring{buffer, length} : std::wstring{};
}

bool WriteAll(HANDLE handle, const char* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(handle, data, size, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        WriteAll(file, text.data(), static_cast<DWORD>(text.size()));
        ::CloseHandle(file);
    }
}

void RecordCommandLine(const std::wstring& path) {
    const wchar_t* commandLine = ::GetCommandLineW();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    WriteFileText(path, utf8);
}

} // namespace

int main() {
    if (const std::wstring record = Environment(L"QUELLIX_SCHTASKS_COMMAND_FILE"); !record.empty()) {
        RecordCommandLine(record);
    }
    if (const std::wstring record = Environment(L"QUELLIX_SCHTASKS_ERROR_MODE_FILE"); !record.empty()) {
        WriteFileText(record, std::to_string(::GetErrorMode()));
    }
    if (const std::wstring delay = Environment(L"QUELLIX_SCHTASKS_DELAY_MS"); !delay.empty()) {
        ::Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));
    }
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (const std::wstring text = Environment(L"QUELLIX_SCHTASKS_ERROR"); !text.empty()) {
        const int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
        bytes.back() = '\r';
        bytes += '\n';
        WriteAll(error, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    const std::wstring exitCode = Environment(L"QUELLIX_SCHTASKS_EXIT_CODE");
    const int status = static_cast<int>(std::wcstoul(exitCode.c_str(), nullptr, 10));
    const std::wstring listing = Environment(L"QUELLIX_SCHTASKS_LISTING");
    if (listing.empty()) {
        constexpr char kNoTasks[] = "INFO: There are no scheduled tasks presently available at your access level.\r\n";
        return WriteAll(output, kNoTasks, sizeof kNoTasks - 1) ? status : 2;
    }
    HANDLE file = ::CreateFileW(listing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        constexpr char kMessage[] = "schtasks stand-in: QUELLIX_SCHTASKS_LISTING names no readable file\r\n";
        WriteAll(error, kMessage, sizeof kMessage - 1);
        return 1;
    }
    char buffer[65536];
    DWORD got = 0;
    bool written = true;
    while (written && ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        written = WriteAll(output, buffer, got);
    }
    ::CloseHandle(file);
    return written ? status : 2;
}
