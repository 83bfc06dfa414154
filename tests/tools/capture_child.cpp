// A console program that the command-capture tests and benchmark run. Its first argument picks
// what it does:
//   print <bytes> [chunk]  writes <bytes> bytes of CapturePattern to standard output, <chunk>
//                          bytes per write (default 4096, a C runtime's buffer)
//   line <text>            writes <text> and CR LF
//   nothing                writes nothing
//   late <ms> <text>       waits <ms>, then writes <text> and ends at once
//   stderr <bytes>         writes <bytes> bytes to standard error, then "done" to standard output
//   echo                   copies standard input to standard output
//   grandchild <ms>        starts "sleep <ms>" (which inherits the pipes), writes "parent", ends
//   sleep <ms>             waits <ms>, then writes "grandchild"
//   stamp                  writes its QueryPerformanceCounter value as the last thing before it
//                          ends (the benchmark compares it with the capture's return)
//   cwd <file>             writes its working directory into <file> (for the shell-open test)
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Put(HANDLE handle, const std::string& bytes) {
    DWORD put = 0;
    std::size_t at = 0;
    while (at < bytes.size() &&
           ::WriteFile(handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &put, nullptr)) {
        at += put;
    }
}

// Byte i of the printed pattern; the tests rebuild it the same way.
char PatternByte(unsigned long long i) {
    return static_cast<char>('A' + (i * 7 + i / 251) % 26);
}

unsigned long long Number(const char* text) {
    return std::strtoull(text, nullptr, 10);
}

int Print(unsigned long long total, unsigned long long chunk) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    std::string block;
    for (unsigned long long at = 0; at < total;) {
        const unsigned long long size = total - at < chunk ? total - at : chunk;
        block.resize(size);
        for (unsigned long long i = 0; i < size; ++i) {
            block[i] = PatternByte(at + i);
        }
        Put(out, block);
        at += size;
    }
    return 0;
}

int StartSleeper(const char* milliseconds) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring{self} + L"\" sleep " +
                               std::wstring(milliseconds, milliseconds + std::strlen(milliseconds));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                          &startup, &info)) {
        return 3;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    Put(::GetStdHandle(STD_OUTPUT_HANDLE), "parent");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (mode == "print" && argc > 2) {
        return Print(Number(argv[2]), argc > 3 && Number(argv[3]) > 0 ? Number(argv[3]) : 4096);
    }
    if (mode == "line" && argc > 2) {
        Put(out, std::string{argv[2]} + "\r\n");
        return 0;
    }
    if (mode == "nothing") {
        return 0;
    }
    if (mode == "late" && argc > 3) {
        ::Sleep(static_cast<DWORD>(Number(argv[2])));
        Put(out, std::string{argv[3]});
        return 0;
    }
    if (mode == "stderr" && argc > 2) {
        Put(::GetStdHandle(STD_ERROR_HANDLE), std::string(Number(argv[2]), 'e'));
        Put(out, "done");
        return 0;
    }
    if (mode == "echo") {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
            Put(out, std::string(buffer, got));
        }
        return 0;
    }
    if (mode == "grandchild" && argc > 2) {
        return StartSleeper(argv[2]);
    }
    if (mode == "sleep" && argc > 2) {
        ::Sleep(static_cast<DWORD>(Number(argv[2])));
        Put(out, "grandchild");
        return 0;
    }
    if (mode == "stamp") {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        Put(out, std::to_string(now.QuadPart));
        return 0;
    }
    if (mode == "cwd" && argc > 2) {
        wchar_t directory[MAX_PATH]{};
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
        const std::string target{argv[2]};
        const HANDLE file = ::CreateFileW(std::wstring(target.begin(), target.end()).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD put = 0;
        ::WriteFile(file, directory, length * sizeof(wchar_t), &put, nullptr);
        ::CloseHandle(file);
        return 0;
    }
    return 2;
}
