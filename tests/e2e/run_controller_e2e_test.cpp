// The real quellix.exe, started as the host starts it: single instance, pex.log, the decision
// between an import run and the settings window, deleting the previous run's files, run control.
#include "tests/e2e/e2e_support.h"

#include "app/product_info.h"
#include "support/cp932_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace quellix::e2e {
namespace {

constexpr int kIdButtonPause = 101;
constexpr int kIdButtonStop = 102;
constexpr int kIdButtonPlay = 104;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return StartsWith(l, prefix); }));
}

// The process's windows that have a taskbar entry: visible top-level windows that are neither
// owned nor tool windows, and those that ask for one.
BOOL CALLBACK CollectTaskbarWindow(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(data);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool entry = (exStyle & WS_EX_APPWINDOW) != 0 ||
                       (::GetWindow(window, GW_OWNER) == nullptr && (exStyle & WS_EX_TOOLWINDOW) == 0);
    if (processId == found.first && ::IsWindowVisible(window) && entry) {
        found.second.push_back(window);
    }
    return TRUE;
}

std::vector<std::wstring> TaskbarEntries(DWORD processId, HWND& first) {
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    ::EnumWindows(&CollectTaskbarWindow, reinterpret_cast<LPARAM>(&found));
    std::vector<std::wstring> titles;
    for (HWND window : found.second) {
        wchar_t title[256]{};
        ::GetWindowTextW(window, title, 256);
        titles.emplace_back(title);
    }
    first = found.second.empty() ? nullptr : found.second.front();
    return titles;
}

class RunControllerTest : public testing::Test {
protected:
    void SetUp() override {
        SetRootPath(root.Path());
        ASSERT_TRUE(::CreateDirectoryW((root / L"reserve").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(reserve.c_str(), nullptr));
    }

    void ExpectFramedLog(const std::vector<std::string>& lines) {
        ASSERT_GE(lines.size(), 4U);
        EXPECT_TRUE(StartsWith(lines.front(), "--- START ---\t"));
        EXPECT_EQ(lines[1], "Version " QUELLIX_FILE_VERSION);
        EXPECT_EQ(lines[2], "Quellix");
        EXPECT_TRUE(StartsWith(lines.back(), "--- END ---\t"));
    }

    TempDir root;
    std::wstring reserve = root / L"reserve\\GigaPocket";
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn}; // lists no tasks: the old files go
};

TEST_F(RunControllerTest, MissingReserveDirectoryLogsOneErrorLineAndExitsZero) {
    const std::wstring missing = root / L"reserve\\NoSuchDeck";
    const RunResult result = RunQuellix({missing});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    ExpectFramedLog(lines);
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[3], "pex.log: " + SjisFromWide(missing) + "\\がないので予約状況をを保存できません. (C.ERROR)");
}

TEST_F(RunControllerTest, ImportRunDeletesOldReservationFilesOnly) {
    for (const wchar_t* name : {L"a.tvpi", L"b.TVPI", L"c.Tvpi", L"hidden.tvpi", L"keep.txt", L"keep.tvpi.bak"}) {
        WriteFileBytes(reserve + L"\\" + name, "x");
    }
    ::SetFileAttributesW((reserve + L"\\hidden.tvpi").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(::CreateDirectoryW((reserve + L"\\dir.tvpi").c_str(), nullptr));
    // A file held open without delete sharing cannot be deleted: it is passed over.
    WriteFileBytes(reserve + L"\\locked.tvpi", "x");
    UniqueFileHandle locked{::CreateFileW((reserve + L"\\locked.tvpi").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(locked);

    const RunResult result = RunQuellix({reserve});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    locked.reset();
    EXPECT_EQ(ListDir(reserve),
              (std::vector<std::wstring>{L"dir.tvpi", L"keep.tvpi.bak", L"keep.txt", L"locked.tvpi"}));
    ExpectFramedLog(ReadLines(root / L"pex.log"));
}

TEST_F(RunControllerTest, LogIsAppendedAcrossRuns) {
    ASSERT_TRUE(RunQuellix({reserve}).finished);
    ASSERT_TRUE(RunQuellix({reserve + L"\\"}).finished);
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    EXPECT_EQ(CountLinesStartingWith(lines, "--- START ---\t"), 2);
    EXPECT_EQ(CountLinesStartingWith(lines, "--- END ---\t"), 2);
    EXPECT_EQ(CountLinesStartingWith(lines, "Version " QUELLIX_FILE_VERSION), 2);
    ASSERT_EQ(lines.size() % 2, 0U);
    ExpectFramedLog({lines.begin(), lines.begin() + static_cast<long>(lines.size() / 2)});
    ExpectFramedLog({lines.begin() + static_cast<long>(lines.size() / 2), lines.end()});
}

TEST_F(RunControllerTest, UnwritableLogDirectoryStillCompletesTheRun) {
    SetRootPath(root / L"missing\\deeper"); // the log's directory cannot be created
    WriteFileBytes(reserve + L"\\old.tvpi", "x");
    const RunResult result = RunQuellix({reserve});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_FALSE(FileExists(reserve + L"\\old.tvpi"));
}

TEST_F(RunControllerTest, MissingRootPathUsesTheCurrentDriveRoot) {
    DeleteRegistryValue(kHostKey, L"RootPath");
    // With no root directory the log is "\pex.log": the root of the current drive.
    const std::wstring driveLog = root.Path().substr(0, 2) + L"\\pex.log";
    ::DeleteFileW(driveLog.c_str());
    ProcessOptions options;
    options.workingDirectory = root.Path();
    const RunResult result = RunQuellix({reserve}, kEventLimitMs, options);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    ExpectFramedLog(ReadLines(driveLog));
    ::DeleteFileW(driveLog.c_str());
}

TEST_F(RunControllerTest, OnlyOneOfTenInstancesStartedTogetherRuns) {
    std::vector<PROCESS_INFORMATION> processes;
    for (int i = 0; i < 10; ++i) {
        processes.push_back(StartQuellix({reserve, L"/c"})); // settings window: stays open
    }
    // Every instance but one ends by itself; the one left is closed like a user would.
    std::vector<HANDLE> handles;
    for (const PROCESS_INFORMATION& p : processes) {
        handles.push_back(p.hProcess);
    }
    const auto ended = [&] {
        return std::count_if(handles.begin(), handles.end(),
                             [](HANDLE h) { return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0; });
    };
    EXPECT_TRUE(WaitUntil([&] { return ended() >= 9; }));
    EXPECT_EQ(ended(), 9);
    // The one left is closed once it has started its run, as a user sees it: its window exists
    // before the run starts, and a close request that early would end it before its first log line.
    (void)WaitUntil([&] { return CountLinesStartingWith(ReadLines(root / L"pex.log"), "--- START ---\t") > 0; });
    for (PROCESS_INFORMATION& p : processes) {
        if (::WaitForSingleObject(p.hProcess, 0) != WAIT_OBJECT_0) {
            ::PostMessageW(WaitForMainWindow(p.dwProcessId), WM_CLOSE, 0, 0);
        }
        const RunResult result = WaitAndClose(p);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
    }
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    EXPECT_EQ(CountLinesStartingWith(lines, "--- START ---\t"), 1);
    EXPECT_EQ(CountLinesStartingWith(lines, "--- END ---\t"), 1);
}

// A host may start the plug-in without activating it, as when another program keeps the
// foreground: the window then never becomes active, and the run starts all the same.
TEST_F(RunControllerTest, AnImportRunStartedWithoutActivationStillRunsAndCloses) {
    for (const int show : {SW_SHOWNOACTIVATE, SW_SHOWMINNOACTIVE}) {
        SCOPED_TRACE(show);
        WriteFileBytes(reserve + L"\\old.tvpi", "");
        ProcessOptions options;
        options.showCommand = show;
        const RunResult result = RunQuellix({reserve}, kEventLimitMs, options);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
        EXPECT_FALSE(FileExists(reserve + L"\\old.tvpi"));
        ExpectFramedLog(ReadLines(root / L"pex.log"));
        ASSERT_TRUE(::DeleteFileW((root / L"pex.log").c_str()));
    }
}

// One taskbar entry, the application title, in both modes; the main window is owned by it and
// has no entry of its own.
TEST_F(RunControllerTest, TheTaskbarShowsTheApplicationTitleInBothModes) {
    for (const bool importRun : {false, true}) {
        SCOPED_TRACE(importRun ? "import run" : "settings window");
        for (int i = 0; importRun && i < 3000; ++i) { // keeps the run busy until it is paused
            WriteFileBytes(reserve + L"\\old" + std::to_wstring(i) + L".tvpi", "");
        }
        PROCESS_INFORMATION process =
            StartQuellix(importRun ? std::vector<std::wstring>{reserve} : std::vector<std::wstring>{reserve, L"/c"});
        const HWND window = WaitForMainWindow(process.dwProcessId);
        ASSERT_NE(window, nullptr);
        if (importRun) {
            ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPause)); }));
            ::PostMessageW(::GetDlgItem(window, kIdButtonPause), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPlay)); }));
        } else { // the first activation comes after the windows are shown
            ASSERT_TRUE(WaitUntil([&] { return ReadLines(root / L"pex.log").size() >= 3; }));
        }
        HWND entry = nullptr;
        EXPECT_EQ(TaskbarEntries(process.dwProcessId, entry), std::vector<std::wstring>{L"Quellix"});
        EXPECT_EQ(::GetWindow(window, GW_OWNER), entry);
        ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
        const RunResult result = WaitAndClose(process);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
    }
}

// The settings window's Stop while another program holds pex.log without sharing: the line is
// lost, the window closes all the same (Stop is disabled by then, so nothing else would close it).
TEST_F(RunControllerTest, StopClosesTheWindowWhileAnotherProgramHoldsTheLog) {
    PROCESS_INFORMATION process = StartQuellix({reserve, L"/c"});
    const HWND window = WaitForMainWindow(process.dwProcessId);
    ASSERT_NE(window, nullptr);
    UniqueFileHandle held;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        if (lines.size() >= 3 && lines[2] == "Quellix") {
            // The program opens the log only for a moment per line.
            held.reset(::CreateFileW((root / L"pex.log").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        }
        return static_cast<bool>(held);
    }));
    ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
    const RunResult result = WaitAndClose(process);
    held.reset();
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_EQ(ReadLines(root / L"pex.log").size(), 3U);
}

// Run control: a few thousand old files keep the delete loop busy while the test clicks the real
// buttons, as a user would.
class RunControlTest : public RunControllerTest {
protected:
    static constexpr int kFiles = 3000;

    void SetUp() override {
        RunControllerTest::SetUp();
        for (int i = 0; i < kFiles; ++i) {
            const std::wstring name = reserve + L"\\old" + std::to_wstring(i) + L".tvpi";
            UniqueFileHandle file{::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
        }
        process = StartQuellix({reserve});
        window = WaitForMainWindow(process.dwProcessId);
        ASSERT_NE(window, nullptr);
        // The run has started once Pause is enabled.
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPause)); }));
    }

    void TearDown() override { WaitAndClose(process, 5000); }

    void Click(int id) const { ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }
    std::size_t FilesLeft() const { return ListDir(reserve).size(); }

    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

// The window's keyboard focus as another program sees it.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A top-level window of the test's own, standing for another program that takes the foreground.
struct OtherProgramWindow {
    OtherProgramWindow()
        : handle{::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr)} {}
    OtherProgramWindow(const OtherProgramWindow&) = delete;
    OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;
    ~OtherProgramWindow() { ::DestroyWindow(handle); }
    HWND handle;
};

// Coming back to the window, the focus goes to the control that had it, unless that control has
// been disabled meanwhile (Pause, pressed while another program had the foreground): then to the
// first enabled one, so that the keyboard still reaches a button.
TEST_F(RunControlTest, ComingBackGivesTheFocusToAnEnabledControl) {
    const HWND pause = ::GetDlgItem(window, kIdButtonPause);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }));
    // Pause takes the focus, as a user's Tab would give it.
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    ASSERT_TRUE(::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE));
    ::SetFocus(pause);
    ::AttachThreadInput(::GetCurrentThreadId(), thread, FALSE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(window) == pause; }));

    const OtherProgramWindow other;
    ::SetForegroundWindow(other.handle);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other.handle; }));
    // Pressed without the focus moving, as the host's own click on the taskbar button would.
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButtonPause, BN_CLICKED), reinterpret_cast<LPARAM>(pause));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPlay)); }));

    ::SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }));
    EXPECT_TRUE(WaitUntil([&] {
        const HWND focus = FocusOf(window);
        return focus != nullptr && ::IsChild(window, focus) && ::IsWindowEnabled(focus);
    }));
    Click(kIdButtonStop);
    EXPECT_TRUE(WaitAndClose(process).finished);
}

TEST_F(RunControlTest, StopEndsTheDeletionAndClosesTheWindow) {
    Click(kIdButtonStop);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_GT(FilesLeft(), 0U);
    const std::vector<std::string> lines = ReadLines(root / L"pex.log");
    ExpectFramedLog(lines);
    EXPECT_EQ(CountLinesStartingWith(lines, "停止ボタン押下"), 1);
}

TEST_F(RunControlTest, PauseHoldsTheDeletionAndResumeLetsItFinish) {
    Click(kIdButtonPause);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPlay)); }));
    const std::size_t held = FilesLeft();
    ::Sleep(300);
    EXPECT_EQ(FilesLeft(), held);
    EXPECT_GT(held, 0U);
    Click(kIdButtonPlay);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_EQ(FilesLeft(), 0U);
}

TEST_F(RunControlTest, PauseThenStopEndsTheRun) {
    Click(kIdButtonPause);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPlay)); }));
    Click(kIdButtonStop);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_GT(FilesLeft(), 0U);
    ExpectFramedLog(ReadLines(root / L"pex.log"));
}

} // namespace
} // namespace quellix::e2e
