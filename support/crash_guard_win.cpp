#include "support/crash_guard_win.h"

#include "support/cp932_win.h"
#include "support/crash_text.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace quellix {

namespace {

// Asks Windows Error Reporting not to show its own dialog for this process.
constexpr DWORD kWerNoUi = 0x20; // WER_FAULT_REPORTING_NO_UI
// Raised by abort() and by this program's terminate handler, as the C runtime's abort does.
constexpr UINT kAbortExitCode = 3;
// A second thread that faults while the first writes its line waits this long for the first to
// end the process, then ends it itself (the first may be stuck on what broke).
constexpr DWORD kOtherThreadWaitMilliseconds = 5000;
// Room kept on the main thread's stack for the handler after a stack overflow.
constexpr ULONG kStackGuaranteeBytes = 64 * 1024;

std::atomic<const std::function<void(const std::string&)>*> g_writer{nullptr};
std::atomic<DWORD> g_endingThread{0};

[[noreturn]] void EndNow(UINT exitCode) noexcept {
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    std::_Exit(static_cast<int>(exitCode));
}

// The first fault writes its line; a fault inside that writing, or on another thread meanwhile,
// only ends the process.
void ClaimEnding(UINT exitCode) noexcept {
    DWORD none = 0;
    const DWORD self = ::GetCurrentThreadId();
    if (g_endingThread.compare_exchange_strong(none, self)) {
        return;
    }
    if (none != self) {
        ::Sleep(kOtherThreadWaitMilliseconds);
    }
    EndNow(exitCode);
}

template <typename MakeText> [[noreturn]] void LogAndEnd(UINT exitCode, MakeText makeText) noexcept {
    ClaimEnding(exitCode);
    try {
        if (const auto* writer = g_writer.load(); writer != nullptr && *writer) {
            (*writer)(makeText());
        }
    } catch (...) {
        // the line is best effort; the process ends in any case
    }
    EndNow(exitCode);
}

CrashSite SiteOf(const EXCEPTION_RECORD& record) {
    CrashSite site;
    site.Code = record.ExceptionCode;
    site.Address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
    HMODULE module = nullptr;
    // A null address lies in no module; asked for it, Wine names the program's own.
    if (record.ExceptionAddress != nullptr &&
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCWSTR>(record.ExceptionAddress), &module)) {
        wchar_t path[MAX_PATH]{};
        const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
        std::wstring name{path, length < MAX_PATH ? length : 0};
        name.erase(0, name.find_last_of(L"\\/") + 1); // npos + 1 keeps it whole
        site.Module = SjisFromWide(name);
        site.ModuleBase = reinterpret_cast<std::uintptr_t>(module);
    }
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        site.AccessKind = static_cast<std::uint32_t>(record.ExceptionInformation[0]);
        site.AccessAddress = record.ExceptionInformation[1];
    }
    return site;
}

// GCC's C++ throw where exceptions unwind by the system's own means (64-bit Windows) is a
// system exception with this code. One that no frame catches reaches the filter, and the C++
// runtime expects to go on from there to std::terminate, which names the exception.
constexpr DWORD kGccThrowMask = 0x20FFFFFF;
constexpr DWORD kGccThrow = ('G' << 16) | ('C' << 8) | 'C' | (1U << 29);

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers != nullptr ? pointers->ExceptionRecord : nullptr;
    if (record != nullptr && (record->ExceptionCode & kGccThrowMask) == kGccThrow &&
        (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0) {
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    const UINT code = record != nullptr && record->ExceptionCode != 0 ? record->ExceptionCode : kAbortExitCode;
    LogAndEnd(code, [record] { return record != nullptr ? CrashText(SiteOf(*record)) : CrashText({}); });
}

void OnTerminate() {
    LogAndEnd(kAbortExitCode, [] {
        const std::exception_ptr current = std::current_exception();
        if (!current) {
            return TerminateText(false, std::nullopt);
        }
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            return TerminateText(true, error.what());
        } catch (...) {
            return TerminateText(true, std::nullopt);
        }
    });
}

void OnAbortSignal(int /*signal*/) {
    LogAndEnd(kAbortExitCode, [] { return AbortText(); });
}

} // namespace

void InstallCrashGuard() {
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // kernel32 is always loaded; WerSetFlags is there from Windows Vista on.
    using WerSetFlagsFunction = HRESULT(WINAPI*)(DWORD);
    if (const auto werSetFlags = reinterpret_cast<WerSetFlagsFunction>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "WerSetFlags")))) {
        werSetFlags(kWerNoUi);
    }
    ULONG guarantee = kStackGuaranteeBytes;
    ::SetThreadStackGuarantee(&guarantee);
    ::SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbortSignal);
}

ScopedCrashLog::ScopedCrashLog(std::function<void(const std::string& text)> writer) : writer_{std::move(writer)} {
    g_writer.store(&writer_);
}

ScopedCrashLog::~ScopedCrashLog() {
    g_writer.store(nullptr);
}

} // namespace quellix
