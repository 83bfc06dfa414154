// Command capture for native builds, so that code built on it can be tested with stand-in
// programs: the command line is split into words as Windows programs split theirs (blanks
// separate, double quotes group) and the program is searched on PATH. There is no window: the
// run's message pump (a test's stand-in for the buttons) is called on every pass while waiting.
#include "app/command_capture.h"

#include <cerrno>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern char** environ;

namespace quellix {

namespace {

std::vector<std::string> SplitWords(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
            }
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_{fd} {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Reset(); }
    [[nodiscard]] int Get() const noexcept { return fd_; }
    void Reset(int fd = -1) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

bool MakePipe(Fd& read, Fd& write) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    read.Reset(fds[0]);
    write.Reset(fds[1]);
    return true;
}

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

// Reads what the descriptor holds now, `sink` keeping no more than `limit` bytes; sets `open`
// false at its end.
std::size_t Drain(int fd, std::string& sink, std::size_t limit, bool& open) {
    std::size_t moved = 0;
    char buffer[65536];
    while (open) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            if (sink.size() < limit) {
                sink.append(buffer, std::min(static_cast<std::size_t>(got), limit - sink.size()));
            }
            moved += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            open = got != 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            return moved;
        }
    }
    return moved;
}

// A command that does not read its input must neither block us nor end us with SIGPIPE: it
// only gets what fits into the pipe. The pipe is closed afterwards.
void FeedInput(Fd& inWrite, std::string_view input) {
    ::fcntl(inWrite.Get(), F_SETFL, O_NONBLOCK);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGPIPE, &ignore, &previous);
    while (!input.empty()) {
        const ssize_t put = ::write(inWrite.Get(), input.data(), input.size());
        if (put <= 0 && errno != EINTR) {
            break;
        }
        input.remove_prefix(put > 0 ? static_cast<std::size_t>(put) : 0);
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    inWrite.Reset();
}

// A steady clock in milliseconds (<chrono> holds text that the program's code page cannot).
std::uint64_t NowMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

// Whether the run wants the command ended now, after it ran `ranMilliseconds`.
CommandEndedBy Cut(const TRunControl* run, std::uint64_t ranMilliseconds) {
    if (run == nullptr) {
        return CommandEndedBy::Itself;
    }
    if (run->FStopRequested) {
        return CommandEndedBy::StopRequest;
    }
    return ranMilliseconds >= run->ToolTimeLimitMilliseconds ? CommandEndedBy::TimeLimit : CommandEndedBy::Itself;
}

// Reads both pipes into `result` until the command has ended and they hold nothing more, or the
// run cuts it short (then it is killed here); returns the command's wait status.
int Collect(pid_t pid, const Fd& outRead, const Fd& errRead, const TRunControl* run, CommandResult& result) {
    ::fcntl(outRead.Get(), F_SETFL, O_NONBLOCK);
    ::fcntl(errRead.Get(), F_SETFL, O_NONBLOCK);
    bool outOpen = true;
    bool errOpen = true;
    bool ended = false;
    int status = 0;
    const std::uint64_t start = NowMilliseconds();
    std::uint64_t held = 0; // time spent in the pump: a pause holds the run, not the command
    for (;;) {
        if (run != nullptr) {
            const std::uint64_t beforePump = NowMilliseconds();
            run->Pump();
            held += NowMilliseconds() - beforePump;
        }
        const CommandEndedBy cut = Cut(run, NowMilliseconds() - start - held);
        if (cut == CommandEndedBy::StopRequest || (cut == CommandEndedBy::TimeLimit && !ended)) {
            if (!ended) { // an ended command's id may belong to another process by now
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
            }
            result.End.EndedBy = cut;
            return status;
        }
        // Tested before reading, as on Windows: once the command has ended, one read that finds
        // the pipes empty has seen all of its output, even if a process it started holds them.
        ended = ended || ::waitpid(pid, &status, WNOHANG) == pid;
        const std::size_t moved = Drain(outRead.Get(), result.Output, std::string::npos, outOpen) +
                                  Drain(errRead.Get(), result.End.ErrorOutput, kMaxErrorOutput, errOpen);
        if (ended && moved == 0) {
            return status;
        }
        if (moved == 0) {
            if (!outOpen && !errOpen) {
                ended = ::waitpid(pid, &status, 0) == pid || errno == ECHILD;
                continue;
            }
            pollfd fds[2] = {{outOpen ? outRead.Get() : -1, POLLIN, 0}, {errOpen ? errRead.Get() : -1, POLLIN, 0}};
            ::poll(fds, 2, 5);
        }
    }
}

} // namespace

std::optional<CommandResult> RunCommand(const std::string& commandLine, std::string_view input,
                                        const TRunControl* run) {
    if (std::optional<CommandResult> stopped = StoppedBeforeStart(run)) {
        return stopped;
    }
    const std::vector<std::string> words = SplitWords(commandLine);
    if (words.empty()) {
        return std::nullopt;
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (const auto& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);

    Fd inRead;
    Fd inWrite;
    Fd outRead;
    Fd outWrite;
    Fd errRead;
    Fd errWrite;
    if (!MakePipe(inRead, inWrite) || !MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) {
        return std::nullopt;
    }
    SpawnActions actions;
    ::posix_spawn_file_actions_adddup2(actions.Get(), inRead.Get(), 0);
    ::posix_spawn_file_actions_adddup2(actions.Get(), outWrite.Get(), 1);
    ::posix_spawn_file_actions_adddup2(actions.Get(), errWrite.Get(), 2);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], actions.Get(), nullptr, argv.data(), environ) != 0) {
        return std::nullopt;
    }
    inRead.Reset();
    outWrite.Reset();
    errWrite.Reset();

    FeedInput(inWrite, input);
    CommandResult result;
    const int status = Collect(pid, outRead, errRead, run, result);
    // A command ended by a signal reports it as a shell does.
    result.End.ExitCode = static_cast<std::uint32_t>(WIFEXITED(status)     ? WEXITSTATUS(status)
                                                     : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                                                           : 0);
    return result;
}

} // namespace quellix
