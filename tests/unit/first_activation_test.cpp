#include "app/first_activation.h"

#include "app/harvest.h"
#include "channels/channel_tables.h"
#include "support/errors.h"
#include "tests/shared/task_listing_rows.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quellix {
namespace {

// The window's steps as a trace; the log fails at one chosen write, as a locked or full pex.log
// does. The import run's stand-in writes the harvest's two lines through the same log.
class Activation {
public:
    Activation(bool directoryExists, int failingWrite, bool channelsFail)
        : directoryExists_{directoryExists}, failAt_{failingWrite} {
        steps_.StartLog = [this] { trace.push_back("start"); };
        steps_.WriteLog = [this](std::string_view text, bool isError) { return Write(text, isError); };
        steps_.ImportChannelFile = [this, channelsFail] {
            trace.push_back("channels");
            if (channelsFail) {
                throw IoError{"channel table locked", 32};
            }
        };
        steps_.HideLabelSetting = [this] { trace.push_back("hide"); };
        steps_.DirectoryExists = [this](const std::string&) { return directoryExists_; };
        steps_.RunImport = [this] {
            trace.push_back("run");
            Write("Quellix開始", false);
            Write("Quellix終了", false);
        };
        steps_.AppException = [this](const std::string& message) { trace.push_back("hook " + message); };
        steps_.Close = [this] { trace.push_back("close"); };
    }

    void Run(const std::vector<std::string>& arguments) {
        RunFirstActivation(arguments, "C:\\Host", steps_, reserveDir);
    }

    std::vector<std::string> trace;
    std::string reserveDir;

private:
    bool Write(std::string_view text, bool isError) {
        if (++writes_ == failAt_) {
            throw IoError{"pex.log locked", 32};
        }
        trace.push_back((isError ? "error " : "log ") + std::string{text});
        return true;
    }

    TFirstActivationSteps steps_;
    bool directoryExists_;
    int failAt_;
    int writes_ = 0;
};

TEST(RunFirstActivation, AFailingLogWriteOrChannelImportReachesTheHookAndTheImportRunStillCloses) {
    using Trace = std::vector<std::string>;
    const std::vector<std::string> importRun{"C:\\Host\\reserve\\Deck\\"};
    const std::vector<std::string> settings{"C:\\Host\\reserve\\Deck\\", "/c"};
    const std::string missing = "error C:\\Host\\reserve\\Deck\\がないので予約状況をを保存できません.";
    struct Case {
        std::vector<std::string> arguments;
        bool directoryExists;
        int failingWrite; // 0: none
        Trace expected;
        bool channelsFail = false; // the channel-file import raises
    };
    const Case cases[] = {
        {importRun,
         true,
         0,
         {"start", "log Quellix", "channels", "hide", "run", "log Quellix開始", "log Quellix終了", "close"}},
        // The first line after the start record: the run goes on all the same.
        {importRun,
         true,
         1,
         {"start", "hook pex.log locked", "channels", "hide", "run", "log Quellix開始", "log Quellix終了", "close"}},
        {importRun, true, 2, {"start", "log Quellix", "channels", "hide", "run", "hook pex.log locked", "close"}},
        {importRun,
         true,
         3,
         {"start", "log Quellix", "channels", "hide", "run", "log Quellix開始", "hook pex.log locked", "close"}},
        {importRun, false, 0, {"start", "log Quellix", "channels", "hide", missing, "close"}},
        {importRun, false, 1, {"start", "hook pex.log locked", "channels", "hide", missing, "close"}},
        {importRun, false, 2, {"start", "log Quellix", "channels", "hide", "hook pex.log locked", "close"}},
        {settings, true, 0, {"start", "log Quellix", "channels"}},
        {settings, true, 1, {"start", "hook pex.log locked", "channels"}},
        {importRun,
         true,
         0,
         {"start", "log Quellix", "channels", "hook channel table locked", "hide", "run", "log Quellix開始",
          "log Quellix終了", "close"},
         true},
        {settings, true, 0, {"start", "log Quellix", "channels", "hook channel table locked"}, true},
    };
    for (const Case& c : cases) {
        Activation activation{c.directoryExists, c.failingWrite, c.channelsFail};
        activation.Run(c.arguments);
        EXPECT_EQ(activation.trace, c.expected)
            << ::testing::PrintToString(c.arguments) << " failing write " << c.failingWrite;
        EXPECT_EQ(activation.reserveDir, c.arguments.size() == 1 ? c.arguments.front() : "");
    }
}

// The real log and harvest: just before one of the run's writes a folder takes the place of
// pex.log, as when another program holds it. For the first line the log comes back right after
// the failed write; inside the harvest it stays broken, which ends the harvest early.
using testing_support::ReadAll;
using testing_support::WriteAll;

enum class BreakLog { Never, TitleLine, HarvestStart, ChannelError, HarvestEnd };

class RealRun {
public:
    explicit RealRun(BreakLog at) : at_{at} {
        std::filesystem::create_directories(folder_.Native("reserve/GigaPocket"));
        WriteAll(folder_.Native("pexTVCHNo.csv"),
                 "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n\"GigaPocket\",\"TV Alpha\",\"21\",\r\n");
        setup_.DeckName = "GigaPocket";
        setup_.ReserveDir = folder_.File("reserve\\GigaPocket\\");
        setup_.WorkFile = folder_.File("task.csv");
        setup_.CaptureListing = [this](const std::string&) {
            WriteAll(folder_.Native("task.csv"),
                     testing::ListingHeader() + "\r\n" +
                         testing::ListingRow("\\a", "2009/03/01 21:00:00", testing::TunerCommand("News", "21", 30)) +
                         "\r\n" +
                         testing::ListingRow("\\b", "2009/03/01 22:00:00", testing::TunerCommand("Gone", "33", 30)) +
                         "\r\n");
            BreakIf(BreakLog::ChannelError);
            return FileCapture{CaptureStatus::Captured, {}, 0};
        };
        run_.PumpMessages = [this] {
            if (++pumps_ == 3) { // after the last line
                BreakIf(BreakLog::HarvestEnd);
            }
        };
        steps_.StartLog = [this] {
            log_.SetLogFileName(folder_.File("pex.log"));
            log_.SetActive(true);
        };
        steps_.WriteLog = [this](std::string_view text, bool isError) {
            BreakIf(BreakLog::TitleLine);
            try {
                return log_.WriteLog(text, isError);
            } catch (...) {
                Mend();
                throw;
            }
        };
        steps_.ImportChannelFile = [] {};
        steps_.HideLabelSetting = [] {};
        steps_.DirectoryExists = [](const std::string&) { return true; };
        steps_.RunImport = [this] {
            BreakIf(BreakLog::HarvestStart);
            HarvestReservations(setup_, {tableTV_, tableTVChNo_, tableTVChData_}, run_, log_);
        };
        steps_.AppException = [this](const std::string&) { ++hooked; };
        steps_.Close = [this] { ++closed; };
    }

    void Run() {
        std::string reserveDir;
        RunFirstActivation({setup_.ReserveDir}, folder_.Path(), steps_, reserveDir);
    }

    // The lines after the start record and the version line.
    [[nodiscard]] std::vector<std::string> Logged() const {
        const bool moved = std::filesystem::exists(folder_.Native("pex.kept"));
        const std::string bytes = ReadAll(folder_.Native(moved ? "pex.kept" : "pex.log"));
        std::vector<std::string> lines;
        for (std::size_t at = 0, end = 0; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
            lines.push_back(bytes.substr(at, end - at));
        }
        return {lines.begin() + 2, lines.end()};
    }
    [[nodiscard]] bool Exists(const std::string& name) const { return std::filesystem::exists(folder_.Native(name)); }

    int hooked = 0;
    int closed = 0;

private:
    void BreakIf(BreakLog point) {
        if (point == at_) {
            std::filesystem::rename(folder_.Native("pex.log"), folder_.Native("pex.kept"));
            std::filesystem::create_directory(folder_.Native("pex.log"));
            at_ = BreakLog::Never;
            broken_ = true;
        }
    }
    void Mend() {
        if (broken_) {
            std::filesystem::remove(folder_.Native("pex.log"));
            std::filesystem::rename(folder_.Native("pex.kept"), folder_.Native("pex.log"));
            broken_ = false;
        }
    }

    BreakLog at_;
    bool broken_ = false;
    testing_support::TempDir folder_;
    TCsvTable tableTV_ = CreateTableTV(folder_.File("tvconvert.csv"));
    TCsvTable tableTVChNo_ = CreateTableTVChNo(folder_.File("pexTVCHNo.csv"));
    TCsvTable tableTVChData_ = CreateTableTVChData(folder_.File("tvchdata.csv"));
    TLogFile log_;
    TRunControl run_;
    HarvestSetup setup_;
    TFirstActivationSteps steps_;
    int pumps_ = 0;
};

TEST(RunFirstActivation, TheRealHarvestWithTheLogFailingAtEachWriteEndsAndCloses) {
    const std::string channelError = "チャンネルエラー: \"GigaPocket\" , \"33\"";
    struct Case {
        BreakLog at;
        std::vector<std::string> logged;
        bool harvested; // the reservation file written, the tables closed (the missing one written)
    };
    const Case cases[] = {
        {BreakLog::Never, {"Quellix", "Quellix開始", channelError, "Quellix終了"}, true},
        {BreakLog::TitleLine, {"Quellix開始", channelError, "Quellix終了"}, true},
        {BreakLog::HarvestStart, {"Quellix"}, false},
        {BreakLog::ChannelError, {"Quellix", "Quellix開始"}, true},
        {BreakLog::HarvestEnd, {"Quellix", "Quellix開始", channelError}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.at));
        RealRun run{c.at};
        run.Run();
        EXPECT_EQ(run.Logged(), c.logged);
        EXPECT_EQ(run.hooked, c.at == BreakLog::Never ? 0 : 1);
        EXPECT_EQ(run.closed, 1);
        EXPECT_EQ(run.Exists("reserve/GigaPocket/20090301210121.tvpi"), c.harvested);
        EXPECT_EQ(run.Exists("tvconvert.csv"), c.harvested);
    }
}

} // namespace
} // namespace quellix
