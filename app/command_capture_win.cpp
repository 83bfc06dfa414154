// Command capture on Win32: anonymous pipes for the three standard handles, a process without a
// console, and a loop that keeps the window responsive while it reads.
#include "app/command_capture.h"

#include "support/cp932_win.h"
#include "support/unique_handle_win.h"
#include "support/message_queue_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace quellix {

namespace {

// Large enough that a fast command rarely waits for the next read; the system treats the size
// as a suggestion.
constexpr DWORD kPipeBufferSize = 1024 * 1024;
constexpr DWORD kReadChunkSize = 256 * 1024;
// How long a pass waits for the process's end or a window message after emptying the pipes.
// Output signals nothing, so this is also how soon new output is noticed: 1 ms while output
// flows, growing to 16 ms while the command is quiet (the pipe's buffer takes what a command
// writes meanwhile, and the process's end and window messages still wake the wait at once).
constexpr DWORD kShortestWaitMilliseconds = 1;
constexpr DWORD kLongestWaitMilliseconds = 16;
// Reading stops after this long to let the window's messages through, even when output keeps
// coming.
constexpr ULONGLONG kMaxReadMilliseconds = 50;

struct Pipe {
    UniqueKernelHandle read;
    UniqueKernelHandle write;
};

// A pipe whose `childEnd` is inherited by the process and whose other end stays with us.
bool CreateChildPipe(Pipe& pipe, DWORD size, bool childReads) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &attributes, size)) {
        return false;
    }
    pipe.read.reset(read);
    pipe.write.reset(write);
    // Our end must not leak into the process: a child holding the read end of its own output
    // (or the write end of its input) would keep the pipe open behind our back.
    return ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

// Reads what the pipe holds now, up to the time limit; returns the number of bytes moved. `sink`
// keeps no more than `limit` bytes, the rest is thrown away.
std::size_t Drain(HANDLE pipe, std::string& sink, std::size_t limit, std::vector<char>& buffer, ULONGLONG until) {
    std::size_t moved = 0;
    for (;;) {
        DWORD available = 0;
        // Fails once every writer has gone and the pipe is empty (broken pipe): nothing more.
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) {
            return moved;
        }
        DWORD got = 0;
        const DWORD wanted = available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
        if (!::ReadFile(pipe, buffer.data(), wanted, &got, nullptr) || got == 0) {
            return moved;
        }
        if (sink.size() < limit) {
            sink.append(buffer.data(), std::min<std::size_t>(got, limit - sink.size()));
        }
        moved += got;
        if (::GetTickCount64() >= until) {
            return moved;
        }
    }
}

void WriteAll(HANDLE pipe, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > kReadChunkSize ? kReadChunkSize : static_cast<DWORD>(bytes.size());
        DWORD put = 0;
        if (!::WriteFile(pipe, bytes.data(), chunk, &put, nullptr) || put == 0) {
            return; // the command closed its input: the rest is not wanted
        }
        bytes.remove_prefix(put);
    }
}

// Waits for the process's end or new window input, at most `milliseconds`. A WM_QUIT left in
// the queue for the outer loop would wake MsgWaitForMultipleObjects at once, every time; then
// only the process is waited for.
void WaitForProcessOrInput(HANDLE process, DWORD milliseconds) {
    MSG quit{};
    if (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
        ::WaitForSingleObject(process, milliseconds);
        return;
    }
    ::MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds, QS_ALLINPUT);
}

// The exit code of a command this program ended.
constexpr UINT kEndedExitCode = 1;
// How long an ended command is given to go, so that none is left behind when the call returns.
constexpr DWORD kEndWaitMilliseconds = 5000;

// Whether the run wants the command ended now, `ranMilliseconds` after it started.
CommandEndedBy Cut(const TRunControl* run, HANDLE process, ULONGLONG ranMilliseconds) {
    if (run == nullptr) {
        return CommandEndedBy::Itself;
    }
    if (run->FStopRequested) {
        return CommandEndedBy::StopRequest;
    }
    const ULONGLONG limit = run->ToolTimeLimitMilliseconds;
    if (ranMilliseconds >= limit && ::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        return CommandEndedBy::TimeLimit;
    }
    return CommandEndedBy::Itself;
}

// Reads both pipes into `result`, dispatching the window's messages, until the command has ended
// and they hold nothing more, or the run cuts it short (ended here, unread output left behind).
CommandEndedBy Collect(HANDLE process, HANDLE outRead, HANDLE errRead, const TRunControl* run, CommandResult& result) {
    std::vector<char> buffer(kReadChunkSize);
    DWORD wait = kShortestWaitMilliseconds;
    const ULONGLONG start = ::GetTickCount64();
    ULONGLONG held = 0; // time spent in the window's handlers: a pause holds the run, not the tool
    for (;;) {
        const ULONGLONG beforeDispatch = ::GetTickCount64();
        DispatchPendingMessages();
        const ULONGLONG now = ::GetTickCount64();
        held += now - beforeDispatch;
        if (const CommandEndedBy cut = Cut(run, process, now - start - held); cut != CommandEndedBy::Itself) {
            ::TerminateProcess(process, kEndedExitCode);
            ::WaitForSingleObject(process, kEndWaitMilliseconds);
            return cut;
        }
        // Tested before reading: whatever the command wrote before it ended is in the pipes now,
        // so a read that finds them empty afterwards has seen all of it. Waiting for the end of
        // the pipes instead could last for ever: a process the command started may hold them.
        const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        const ULONGLONG until = ::GetTickCount64() + kMaxReadMilliseconds;
        const std::size_t moved = Drain(outRead, result.Output, std::string::npos, buffer, until) +
                                  Drain(errRead, result.End.ErrorOutput, kMaxErrorOutput, buffer, until);
        if (ended && moved == 0) {
            return CommandEndedBy::Itself;
        }
        // The pipes are empty now (or reading took its full time slice). Waiting a moment, rather
        // than looking again at once, lets output gather in the pipe, so the next pass moves it
        // with a few large reads instead of many small ones.
        if (::GetTickCount64() < until) {
            wait = moved > 0 ? kShortestWaitMilliseconds : std::min(wait * 2, kLongestWaitMilliseconds);
            WaitForProcessOrInput(process, wait);
        }
    }
}

} // namespace

std::optional<CommandResult> RunCommand(const std::string& commandLine, std::string_view input,
                                        const TRunControl* run) {
    if (std::optional<CommandResult> stopped = StoppedBeforeStart(run)) {
        return stopped;
    }
    Pipe in;
    Pipe out;
    Pipe err;
    // The input is written before any output is read, so its pipe is made large enough to take
    // all of it without waiting for the command to read.
    const DWORD inSize = input.size() > kPipeBufferSize ? static_cast<DWORD>(input.size()) : kPipeBufferSize;
    if (!CreateChildPipe(in, inSize, true) || !CreateChildPipe(out, kPipeBufferSize, false) ||
        !CreateChildPipe(err, kPipeBufferSize, false)) {
        return std::nullopt;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.read.get();
    startup.hStdOutput = out.write.get();
    startup.hStdError = err.write.get();
    PROCESS_INFORMATION info{};
    std::wstring mutableCommandLine = WideFromSjis(commandLine); // CreateProcessW may write into it
    if (!::CreateProcessW(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr, nullptr, &startup, &info)) {
        return std::nullopt;
    }
    const UniqueKernelHandle process{info.hProcess};
    const UniqueKernelHandle thread{info.hThread};
    // The process has its own copies now. Dropping ours means the pipes break once the command
    // and everything it started have closed them.
    in.read.reset();
    out.write.reset();
    err.write.reset();

    ::WaitForInputIdle(process.get(), 1000);
    WriteAll(in.write.get(), input);
    in.write.reset();

    CommandResult result;
    result.End.EndedBy = Collect(process.get(), out.read.get(), err.read.get(), run, result);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode); // it has ended, so this cannot fail but for a lost handle
    result.End.ExitCode = exitCode;
    return result;
}

} // namespace quellix
