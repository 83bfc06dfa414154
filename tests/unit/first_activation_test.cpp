#include "app/first_activation.h"

#include "support/errors.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

// The window's steps as a trace; the log fails at one chosen write, as a locked or full pex.log
// does. The import run's stand-in writes the harvest's two lines through the same log.
class Activation {
public:
    Activation(bool directoryExists, int failingWrite) : directoryExists_{directoryExists}, failAt_{failingWrite} {
        steps_.StartLog = [this] { trace.push_back("start"); };
        steps_.WriteLog = [this](std::string_view text, bool isError) { return Write(text, isError); };
        steps_.ImportChannelFile = [this] { trace.push_back("channels"); };
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

TEST(RunFirstActivation, ALogThatFailsAtAnyWriteReachesTheHookAndTheImportRunStillCloses) {
    using Trace = std::vector<std::string>;
    const std::vector<std::string> importRun{"C:\\Host\\reserve\\Deck\\"};
    const std::vector<std::string> settings{"C:\\Host\\reserve\\Deck\\", "/c"};
    const std::string missing = "error C:\\Host\\reserve\\Deck\\がないので予約状況をを保存できません.";
    struct Case {
        std::vector<std::string> arguments;
        bool directoryExists;
        int failingWrite; // 0: none
        Trace expected;
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
    };
    for (const Case& c : cases) {
        Activation activation{c.directoryExists, c.failingWrite};
        activation.Run(c.arguments);
        EXPECT_EQ(activation.trace, c.expected)
            << testing::PrintToString(c.arguments) << " failing write " << c.failingWrite;
        EXPECT_EQ(activation.reserveDir, c.arguments.size() == 1 ? c.arguments.front() : "");
    }
}

} // namespace
} // namespace quellix
