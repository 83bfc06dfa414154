// A Task Scheduler tool that does not answer never holds the program, nor the host that waits for
// it: Stop and the time limit end the tool and the run, and the last good reservations stay.
// The tool also inherits the error mode that keeps the system's dialogs away.
#include "tests/e2e/harvest_e2e_fixture.h"

#include "support/run_control.h"

#include <cstdlib>

namespace quellix::e2e {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::TunerCommand;

// The stand-in is held far longer than any wait here, and the run is waited for half the
// program's own time limit: a run that ends within that wait was ended by what the case did (Stop,
// a close, the limit shortened), not by the tool's end nor by the program's usual limit. No case
// times how fast the end came, which a loaded machine could stretch.
constexpr DWORD kHungToolMs = 10 * 60 * 1000;
constexpr DWORD kRunEndWaitMs = kToolTimeLimitMilliseconds / 2;

class HungToolTest : public StandInHarvestTest {
protected:
    // The import run, with the stand-in held for a minute once started, until the run ends.
    struct HungRun {
        RunResult result;
        int childrenLeft = 0;
    };

    template <typename Act> HungRun RunWithHungTool(Act act) {
        WriteFileBytes(root / L"listing.csv", Listing({ListingHeader(), ListingRow("\\a", "2009/03/01 21:00:00",
                                                                                   TunerCommand("New", "21", 30))}));
        const ScopedEnvironment listing{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
        const ScopedEnvironment delay{L"QUELLIX_SCHTASKS_DELAY_MS", std::to_wstring(kHungToolMs)};
        const ScopedEnvironment started{L"QUELLIX_SCHTASKS_COMMAND_FILE", root / L"started.txt"};
        HungRun run;
        PROCESS_INFORMATION process = StartQuellix({reserve});
        const HWND window = WaitForMainWindow(process.dwProcessId);
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return FileExists(root / L"started.txt"); })) << "the tool never started";
        const DWORD processId = process.dwProcessId;
        act(window, process.hProcess);
        run.result = WaitAndClose(process, kRunEndWaitMs);
        run.childrenLeft = LiveChildren(processId);
        return run;
    }
};

// Stop, the window closing and the time limit each end the hung tool and the run at once; the
// listing counts as not read, so the last good reservations stay.
TEST_F(HungToolTest, StopAndTheTimeLimitEndAHungToolAndKeepTheLastGoodReservations) {
    const std::string timedOut = "pex.log: タスク スケジューラからタスクの一覧を受け取れないため、前回の予約ファイルを"
                                 "残し新しい予約は取り込みません: タスク スケジューラのコマンドが 1 秒たっても終わら"
                                 "ないため終了させました (C.ERROR)";
    const UINT limitMessage = ::RegisterWindowMessageW(L"Quellix.ShortenToolTimeLimit");
    const struct {
        const char* what;
        void (*act)(HWND window, UINT limitMessage);
        std::vector<std::string> log;
    } cases[] = {
        {"Stop",
         [](HWND window, UINT) { ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0); },
         {"Quellix開始", "停止ボタン押下", "Quellix終了"}},
        {"the window closed",
         [](HWND window, UINT) { ::PostMessageW(window, WM_CLOSE, 0, 0); },
         {"Quellix開始", "Quellix終了"}},
        {"the time limit, shortened to a second by the tests' message",
         [](HWND window, UINT message) {
             DWORD_PTR taken = 0;
             ::SendMessageTimeoutW(window, message, 1000, 0, SMTO_NORMAL, 10000, &taken);
             EXPECT_EQ(taken, 1U);
         },
         {"Quellix開始", timedOut, "Quellix終了"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW((root / L"pex.log").c_str());
        ::DeleteFileW((root / L"started.txt").c_str());
        WriteFileBytes(reserve + L"\\20090101000021.tvpi", "from the last good run");
        const HungRun run = RunWithHungTool([&](HWND window, HANDLE) { c.act(window, limitMessage); });
        ASSERT_TRUE(run.result.finished);
        EXPECT_EQ(run.result.exitCode, 0U);
        EXPECT_EQ(run.childrenLeft, 0) << "the tool was left running";
        EXPECT_EQ(HarvestLog(), c.log);
        EXPECT_EQ(ListDir(reserve), std::vector<std::wstring>{L"20090101000021.tvpi"});
        EXPECT_EQ(ReadFileBytes(reserve + L"\\20090101000021.tvpi"), "from the last good run");
    }
}

// The message shortens the limit only: a longer one, or none, is refused.
TEST_F(HungToolTest, TheTestsMessageNeverLengthensTheTimeLimit) {
    const UINT limitMessage = ::RegisterWindowMessageW(L"Quellix.ShortenToolTimeLimit");
    const HungRun run = RunWithHungTool([&](HWND window, HANDLE) {
        for (const WPARAM refused : {WPARAM{0}, WPARAM{2 * 60 * 1000}, WPARAM{24 * 60 * 60 * 1000}}) {
            DWORD_PTR taken = 1;
            ::SendMessageTimeoutW(window, limitMessage, refused, 0, SMTO_NORMAL, 10000, &taken);
            EXPECT_EQ(taken, 0U) << refused;
        }
        ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(run.result.finished);
}

// The error mode of a running program, asked by a thread started in it at GetErrorMode (which
// lies at the same address in every process of the session). 0 when that fails.
UINT ErrorModeOf(HANDLE process) {
    const auto getErrorMode = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetErrorMode")));
    const UniqueKernelHandle thread{::CreateRemoteThread(process, nullptr, 0, getErrorMode, nullptr, 0, nullptr)};
    DWORD mode = 0;
    if (!thread || ::WaitForSingleObject(thread.get(), 10000) != WAIT_OBJECT_0 ||
        !::GetExitCodeThread(thread.get(), &mode)) {
        return 0;
    }
    return mode;
}

// The program, and the tool it starts, run with the error mode that keeps the critical-error,
// open-file and fault dialogs away: a tool that fails shows nothing that would hold the run. The
// test's own mode is cleared first, so that what they have can only come from the program.
TEST_F(HungToolTest, TheProgramAndItsToolKeepTheSystemsDialogsAway) {
    constexpr UINT kNoDialogs = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
    const UINT before = ::SetErrorMode(0);
    const ScopedEnvironment record{L"QUELLIX_SCHTASKS_ERROR_MODE_FILE", root / L"mode.txt"};
    UINT programMode = 0;
    const HungRun run = RunWithHungTool([&](HWND window, HANDLE process) {
        programMode = ErrorModeOf(process);
        ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
    });
    ::SetErrorMode(before);
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(programMode & kNoDialogs, kNoDialogs) << programMode;
    const UINT toolMode = std::strtoul(ReadFileBytes(root / L"mode.txt").c_str(), nullptr, 10);
    if (UnderWine()) {
        // Known Wine difference: Wine starts every program with an error mode of 0, where Windows
        // passes the starting program's on (unless it asks otherwise with CREATE_DEFAULT_ERROR_MODE).
        EXPECT_EQ(toolMode, 0U);
    } else {
        EXPECT_EQ(toolMode & kNoDialogs, kNoDialogs) << toolMode;
    }
}

} // namespace
} // namespace quellix::e2e
