#include "support/text_file.h"
#include "support/shell_open_win.h"
#include "support/wait.h"

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using win_test::BinDir;
using win_test::CountingWindow;
using win_test::PostAppMessageLater;
using win_test::ReadBytes;
using win_test::TempDir;
using win_test::WaitUntil;
using win_test::WriteBytes;

TEST(OpenRetry, WaitsBetweenAttemptsUntilTheFileIsFree) {
    const TempDir folder;
    const std::string name = folder.File("busy.txt");
    WriteBytes(name, "contents");
    // Someone else writes the file and lets nobody in.
    HANDLE blocker = ::CreateFileW(WideFromSjis(name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    int waits = 0;
    TTextFile file{name, {}};
    EXPECT_FALSE(OpenForReadRetry(file, 0, [&] { ++waits; }));
    EXPECT_FALSE(OpenForWriteRetry(file, 1, [&] { ++waits; }));
    EXPECT_EQ(waits, 1);
    EXPECT_TRUE(OpenForReadRetry(file, 5, [&] {
        if (++waits == 3) {
            ::CloseHandle(blocker);
        }
    }));
    EXPECT_EQ(waits, 3);

    // While we read, others may read but not write.
    const HANDLE reader = ::CreateFileW(WideFromSjis(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    ::CloseHandle(reader);
    const HANDLE writer = ::CreateFileW(WideFromSjis(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    file.Handle.Close();

    TTextFile output{name, {}};
    ASSERT_TRUE(OpenForWriteRetry(output, 0));
    EXPECT_TRUE(output.Handle.Write("new"));
    output.Handle.Close();
    EXPECT_EQ(ReadBytes(name), "new");
}

TEST(WaitMinutes, HandlesMessagesPostedWhileItWaits) {
    const CountingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    const HANDLE poster = PostAppMessageLater(window.Handle());
    const ULONGLONG start = ::GetTickCount64();
    WaitMinutes(0.5 / 60); // half a second
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    ::WaitForSingleObject(poster, INFINITE);
    ::CloseHandle(poster);
    EXPECT_EQ(CountingWindow::Count(), 1);
    EXPECT_GE(elapsed, 490U);

    // Zero and negative waits return at once and leave the queue alone.
    ::PostMessageW(window.Handle(), WM_APP, 0, 0);
    WaitMinutes(0);
    WaitMinutes(-1);
    EXPECT_EQ(CountingWindow::Count(), 1);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    EXPECT_EQ(CountingWindow::Count(), 2);
}

TEST(ShellOpen, OpensTheTargetInItsOwnFolderWithTheParameters) {
    const TempDir folder;
    const std::string report = folder.File("cwd.txt");
    ShellOpen(BinDir() + "capture_child.exe", "cwd \"" + report + "\"");
    EXPECT_TRUE(WaitUntil([&] { return !ReadBytes(report).empty(); }));
    const std::string directory = ReadBytes(report);
    std::wstring wide(directory.size() / sizeof(wchar_t), L'\0');
    directory.copy(reinterpret_cast<char*>(wide.data()), wide.size() * sizeof(wchar_t));
    // The working directory is the target's folder (GetCurrentDirectory leaves off the backslash).
    EXPECT_EQ(SjisFromWide(wide) + "\\", BinDir());
}

} // namespace
} // namespace quellix
