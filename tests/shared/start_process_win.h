// Starting a test's child program under Wine. Now and then Wine's new process dies while Wine itself
// is still setting it up, before any code of the program runs; CreateProcessW then fails with
// ERROR_INTERNAL_ERROR. Nothing of the program ran, so starting it again is safe; any other failure
// is the test's to report.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace quellix::test_process {

// `showCommand`, when not negative, is the show command the child's first window is shown with.
inline BOOL StartProcess(std::wstring commandLine, DWORD flags, void* environment, const wchar_t* workingDirectory,
                         PROCESS_INFORMATION* process, int showCommand = -1) {
    for (int attempt = 1;; ++attempt) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (showCommand >= 0) {
            startup.dwFlags = STARTF_USESHOWWINDOW;
            startup.wShowWindow = static_cast<WORD>(showCommand);
        }
        std::wstring writable = commandLine; // CreateProcessW may write into it
        if (::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, flags, environment, workingDirectory,
                             &startup, process)) {
            return TRUE;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            ::SetLastError(error);
            return FALSE;
        }
        std::fprintf(stderr, "a child process died while Wine set it up (error %lu): starting it again\n",
                     static_cast<unsigned long>(error));
        ::Sleep(100);
    }
}

} // namespace quellix::test_process
