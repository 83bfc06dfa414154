#include "app/run_controller.h"

#include "channels/channel_tables.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>

namespace quellix {

// The native build has no tuner registry and no Task Scheduler: these two stand in for the Windows
// steps. The harvest's stand-in is a line loop of three lines that pumps messages after every line
// and ends on a stop, as the real one does.
void TRunController::ImportChannelFile() {}

void TRunController::HarvestReservations() {
    for (int line = 0; line < 3 && !parts_.Run.FStopRequested; ++line) {
        parts_.Run.Pump();
    }
}

namespace {

using Trace = std::vector<std::string>;

// What the controller shows, as a trace; a click runs inside the pump it is due at, nested in the
// loop that pumps, as in the window.
class FakeView final : public RunView {
public:
    std::string StatusText() const override { return status_; }
    void SetStatusText(std::string text) override { trace.push_back("status " + (status_ = std::move(text))); }
    void SetProgress(int position) override { trace.push_back("progress " + std::to_string(position)); }
    void EnableRunButton(RunButton button, bool enabled) override {
        static const char* const kNames[] = {"Play", "Pause", "Skip", "Stop"};
        trace.push_back((enabled ? "+" : "-") + std::string{kNames[static_cast<int>(button)]});
    }
    void PumpMessages() override {
        trace.push_back("pump");
        if (pumps_ == 100) { // a pause that never ends: the case fails instead of waiting forever
            throw std::runtime_error{"still pumping"};
        }
        if (const auto click = clicks.find(++pumps_); click != clicks.end()) {
            click->second();
        }
    }
    void HideSettingLabel() override { trace.push_back("hide"); }
    std::wstring ChannelDirText() const override { return {}; }
    void SetChannelDirText(const std::wstring&) override {}
    void Close() override { trace.push_back("close"); }

    Trace trace;
    std::map<int, std::function<void()>> clicks; // by the number of the pump

private:
    std::string status_;
    int pumps_ = 0;
};

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(RunController, TheButtonsActInsideTheHarvestsLoopAndTheRunEndsWithAllFourDisabled) {
    const Trace start{"hide", "+Pause", "status 解析中", "progress 50"};
    const Trace end{"progress 100", "status 終了処理中", "-Play", "-Stop", "-Skip", "-Pause", "close"};
    const Trace stopped{"-Play", "-Stop", "-Skip", "-Pause", "close"};
    const Trace paused{"+Play", "-Pause"};
    const Trace resumed{"-Play", "+Pause"};
    const auto join = [](std::initializer_list<Trace> parts) {
        Trace all;
        for (const Trace& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    enum Click { Play, Pause, Skip, Stop };
    struct Case {
        std::map<int, Click> clicks;
        Trace middle;  // between the start and the end
        int skipLines; // in the log
        int stopLines;
    };
    const Case cases[] = {
        {{}, {"pump", "pump", "pump"}, 0, 0},
        // Pause holds the line loop; Resume lets it read its last two lines.
        {{{1, Pause}, {3, Play}}, join({{"pump"}, paused, {"pump", "pump"}, resumed, {"pump", "pump"}}), 0, 0},
        // Stop in a pause: the pause ends, its end enables Pause again, the loop stops.
        {{{1, Pause}, {2, Stop}}, join({{"pump"}, paused, {"pump"}, stopped, resumed}), 0, 1},
        // Skip ends a pause; the status tells it once however often it is pressed.
        {{{1, Pause}, {2, Skip}, {3, Skip}},
         join({{"pump"}, paused, {"pump", "status 解析中スキップ..."}, resumed, {"pump", "pump"}}),
         2,
         0},
    };
    for (const Case& c : cases) {
        const testing_support::TempDir root;
        std::filesystem::create_directories(root.Native("reserve/Deck"));
        FakeView view;
        TLogFile log;
        TCsvTable tableTV = CreateTableTV();
        TCsvTable tableTVChNo = CreateTableTVChNo();
        TCsvTable tableTVChData = CreateTableTVChData();
        TRunControl run;
        std::string reserveDir;
        TRunController controller{
            view, {log, {tableTV, tableTVChNo, tableTVChData}, run, reserveDir}, {root.File("reserve\\Deck")}};
        const std::function<void()> press[] = {[&] { controller.Play(); }, [&] { controller.Pause(); },
                                               [&] { controller.Skip(); }, [&] { controller.Stop(); }};
        for (const auto& [pump, click] : c.clicks) {
            view.clicks[pump] = press[click];
        }
        controller.FirstActivation(root.Path());

        EXPECT_EQ(view.trace, join({start, c.middle, end})) << "case " << &c - cases;
        const std::string logText = root.Read("pex.log");
        EXPECT_EQ(Count(logText, "スキップボタン押下\r\n"), c.skipLines);
        EXPECT_EQ(Count(logText, "停止ボタン押下\r\n"), c.stopLines);
    }
}

} // namespace
} // namespace quellix
