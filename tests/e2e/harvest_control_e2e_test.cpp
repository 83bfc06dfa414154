// Run control in the middle of the harvest: a listing of a few thousand tuner tasks keeps the
// line loop busy while the test clicks the real buttons, as a user would.
#include "tests/e2e/e2e_support.h"

#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace quellix::e2e {
namespace {

constexpr int kIdButtonPause = 101;
constexpr int kIdButtonStop = 102;
constexpr int kIdButtonPlay = 104;
constexpr int kTasks = 4000;

// Task `task` starts `task` minutes after 2009-03-01 00:00, all on channel 21.
std::string NextRun(int task) {
    char text[32];
    std::snprintf(text, sizeof text, "2009/03/%02d %d:%02d:00", 1 + task / 1440, task / 60 % 24, task % 60);
    return text;
}

std::wstring FileOfTask(int task) {
    const int minute = task + 1; // the reservation starts one minute after the task
    wchar_t name[32];
    std::swprintf(name, 32, L"200903%02d%02d%02d21.tvpi", 1 + minute / 1440, minute / 60 % 24, minute % 60);
    return name;
}

class HarvestControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRootPath(root.Path());
        ASSERT_TRUE(::CreateDirectoryW((root / L"reserve").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(reserve.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
        WriteFileBytes(root / L"pexTVCHNo.csv", "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n"
                                                "\"GigaPocket\",\"TV Alpha\",\"21\",\r\n");
        std::string listing = testing::ListingHeader() + "\r\n";
        for (int task = 0; task < kTasks; ++task) {
            listing += testing::ListingRow("\\PCastDigi_" + std::to_string(task), NextRun(task),
                                           testing::TunerCommand("News " + std::to_string(task), "21", 30)) +
                       "\r\n";
        }
        WriteFileBytes(root / L"listing.csv", listing);
        process = StartQuellix({reserve});
        window = WaitForMainWindow(process.dwProcessId);
        ASSERT_NE(window, nullptr);
        // The harvest's line loop runs once its first file is there.
        ASSERT_TRUE(WaitUntil([&] { return FileExists(reserve + L"\\" + FileOfTask(0)); }));
    }

    void TearDown() override { WaitAndClose(process, 5000); }

    void Click(int id) const { ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }
    std::size_t FilesWritten() const { return ListDir(reserve).size(); }

    // The log lines of the harvest, from its start line to its end line.
    std::vector<std::string> HarvestLog() const {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        const auto first = std::find(lines.begin(), lines.end(), "Quellix開始");
        const auto last = std::find(first, lines.end(), "Quellix終了");
        if (last == lines.end()) {
            ADD_FAILURE() << "no harvest in the log";
            return lines;
        }
        return {first, last + 1};
    }

    TempDir root;
    std::wstring reserve = root / L"reserve\\GigaPocket";
    std::wstring temp = root / L"temp";
    ScopedEnvironment tempVariable{L"TEMP", temp};
    ScopedEnvironment tmpVariable{L"TMP", temp}; // the system takes TMP before TEMP
    ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn};
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

TEST_F(HarvestControlTest, StopEndsTheLineLoopAndTheRunEndsAsUsual) {
    Click(kIdButtonStop);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    const std::size_t written = FilesWritten();
    EXPECT_GT(written, 0U);
    EXPECT_LT(written, static_cast<std::size_t>(kTasks));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "停止ボタン押下", "Quellix終了"}));
    EXPECT_FALSE(FileExists(root / L"pexTVCHNo.old")); // read, not changed: not written
}

TEST_F(HarvestControlTest, PauseHoldsTheLineLoopAndResumeLetsItFinish) {
    Click(kIdButtonPause);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, kIdButtonPlay)); }));
    const std::size_t held = FilesWritten();
    ::Sleep(300);
    EXPECT_EQ(FilesWritten(), held);
    EXPECT_LT(held, static_cast<std::size_t>(kTasks));
    Click(kIdButtonPlay);
    const RunResult result = WaitAndClose(process);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0U);
    EXPECT_EQ(FilesWritten(), static_cast<std::size_t>(kTasks));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

} // namespace
} // namespace quellix::e2e
