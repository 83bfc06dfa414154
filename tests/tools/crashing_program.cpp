// A program that ends on a fault it cannot go on from, with the program's own crash handling in
// force:  crashing_program <log file> <how>
//   terminate    std::terminate with no exception on its way
//   uncaught     an exception no code catches, on the main thread
//   thread       the same on a thread of its own
//   purevirtual  a pure virtual call
//   abort        abort()
//   write        a write to a null address
// The crash line is appended to <log file>, ended by CR LF.
#include "support/crash_guard_win.h"

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

// Outside the unnamed namespace: see g_callPure.
struct Base;
void CallPure(Base* object);
// Through a pointer the compiler cannot follow, on classes others could derive from: seeing that
// the object is a Base, or every class there is, it would drop the call rather than make it as
// the table says.
void (*volatile g_callPure)(Base*) = CallPure;

struct Base {
    Base() { g_callPure(this); } // the object is a Base while this runs: its function has no body
    virtual ~Base() = default;
    virtual void Pure() = 0;
};

void CallPure(Base* object) {
    object->Pure();
}

struct Derived : Base {
    void Pure() override {}
};

namespace {

DWORD WINAPI ThrowingThread(void* /*unused*/) {
    throw std::runtime_error("boom on a thread");
}

void AppendLine(const std::string& path, const std::string& text) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    const std::string line = text + "\r\n";
    DWORD put = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
    ::CloseHandle(file);
}

} // namespace

int main(int argc, char** argv) {
    quellix::InstallCrashGuard();
    if (argc != 3) {
        return 2;
    }
    const std::string log = argv[1];
    const quellix::ScopedCrashLog crashLog{[&log](const std::string& text) { AppendLine(log, text); }};
    const std::string how = argv[2];
    if (how == "terminate") {
        std::terminate();
    } else if (how == "uncaught") {
        throw std::runtime_error("boom");
    } else if (how == "thread") {
        const HANDLE thread = ::CreateThread(nullptr, 0, ThrowingThread, nullptr, 0, nullptr);
        ::WaitForSingleObject(thread, INFINITE);
    } else if (how == "purevirtual") {
        const Derived derived;
    } else if (how == "abort") {
        std::abort();
    } else if (how == "write") {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    return 0; // the handling did not end the program
}
