// A stand-in for the editor the shell opens a text file with: records the command line it was
// started with (UTF-8) into the file QUELLIX_VIEWER_RECORD names, and ends at once, so that no
// real editor is left running by a test.
#include <windows.h>

#include <iterator>
#include <string>

int main() {
    wchar_t record[MAX_PATH]{};
    const DWORD length =
        ::GetEnvironmentVariableW(L"QUELLIX_VIEWER_RECORD", record, static_cast<DWORD>(std::size(record)));
    if (length == 0 || length >= std::size(record)) {
        return 1;
    }
    const wchar_t* commandLine = ::GetCommandLineW();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, utf8.data(), size, nullptr, nullptr);
    // Written under another name and moved into place, so a test never reads half a record.
    const std::wstring partial = std::wstring{record} + L".part";
    const HANDLE file =
        ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && ::MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
