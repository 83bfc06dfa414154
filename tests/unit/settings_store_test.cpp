#include "support/settings_store.h"

#include "support/errors.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace quellix {
namespace {

using settings::TWindowState;

// A window as the store sees it, with what the store did to it.
struct FakeWindow : TSettingsTarget {
    struct State {
        bool visible = false;
        bool resizable = false;
        bool minimized = false;
        int pixelsPerInch = 96;
        TPlacement placement{0, 1, {-1, -1}, {-1, -1}, {309, 149, 754, 332}};
        std::map<std::string, std::string, std::less<>> properties{{"PdigiDir.Text", "designed"}};
        int placementsApplied = 0;
        std::vector<TWindowState> states;
        int applicationMinimized = 0;
    };
    explicit FakeWindow(State& s) : state{s} {}

    std::string ClassName() const override { return "TFormPdigi"; }
    bool Exists() const override { return true; }
    bool IsVisible() const override { return state.visible; }
    bool IsResizable() const override { return state.resizable; }
    bool IsMainWindow() const override { return true; }
    bool ApplicationMinimized() const override { return state.minimized; }
    TPlacement Placement() const override { return state.placement; }
    void SetPlacement(const TPlacement& placement) override {
        state.placement = placement;
        ++state.placementsApplied;
    }
    void SetWindowState(TWindowState s) override { state.states.push_back(s); }
    void MinimizeApplication() override { ++state.applicationMinimized; }
    int PixelsPerInch() const override { return state.pixelsPerInch; }
    int ScreenWidth() const override { return 1280; }
    int ScreenHeight() const override { return 1024; }
    std::string Property(std::string_view name) const override {
        const auto found = state.properties.find(name);
        if (found == state.properties.end()) {
            throw QuellixError{"unknown property"};
        }
        return found->second;
    }
    void SetProperty(std::string_view name, const std::string& value) override {
        if (state.properties.find(name) == state.properties.end()) {
            throw QuellixError{"unknown property"};
        }
        state.properties[std::string{name}] = value;
    }

    State& state;
};

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        store.IniFileName = dir_.Native("pex.ini");
        store.StoredProps = {"PdigiDir.Text"};
        store.SetTarget(std::make_unique<FakeWindow>(window));
    }
    void Put(const std::string& bytes) const { std::ofstream{store.IniFileName, std::ios::binary} << bytes; }
    [[nodiscard]] std::string Get() const {
        std::ostringstream out;
        out << std::ifstream{store.IniFileName, std::ios::binary}.rdbuf();
        return out.str();
    }

    testing_support::TempDir dir_;
    FakeWindow::State window;
    TSettingsStore store;
};

TEST_F(SettingsStore, SaveWritesTheTenKeysInOrder) {
    store.RestoreSettings(); // no file: nothing changes
    EXPECT_EQ(window.placementsApplied, 0);
    EXPECT_EQ(window.properties["PdigiDir.Text"], "designed");
    window.properties["PdigiDir.Text"] = "  C:\\表ソ\\ \t";
    window.placement = {2, 1, {-32000, -32000}, {-4, -4}, {10, 20, 455, 203}};
    store.CloseAccepted();
    EXPECT_TRUE(store.Saved());
    EXPECT_EQ(Get(), "[TFormPdigi]\r\n"
                     "FormVersion=0\r\n"
                     "Flags=2\r\n"
                     "ShowCmd=1\r\n"
                     "PixelsPerInch=96\r\n"
                     "MinMaxPos(1280x1024)=-32000,-32000,-4,-4\r\n"
                     "MinMaxPos=-32000,-32000,-4,-4\r\n"
                     "NormPos(1280x1024)=10,20,455,203\r\n"
                     "NormPos=10,20,455,203\r\n"
                     "Visible=0\r\n"
                     "PdigiDir_Text=C:\\表ソ\\\r\n");
}

TEST_F(SettingsStore, SavesOnlyAfterARead) {
    store.SaveSettings();
    EXPECT_FALSE(store.Saved());
    EXPECT_EQ(Get(), "");
    store.Active = false; // an inactive store writes when told to
    store.SaveSettings();
    EXPECT_TRUE(store.Saved());
}

TEST_F(SettingsStore, DestructionWritesOnlyWhenNothingWasWrittenSinceTheRead) {
    store.RestoreSettings();
    store.WindowDestroying();
    EXPECT_NE(Get().find("\r\nVisible=1\r\n"), std::string::npos);

    std::remove(store.IniFileName.c_str());
    store.RestoreSettings(); // a new read
    store.CloseAccepted();
    EXPECT_NE(Get().find("\r\nVisible=0\r\n"), std::string::npos);
    std::remove(store.IniFileName.c_str());
    store.WindowDestroying(); // written at the close already
    EXPECT_EQ(Get(), "");
}

TEST_F(SettingsStore, MinimizedApplicationIsSavedAsShowCommandTwo) {
    store.RestoreSettings();
    window.minimized = true;
    store.SaveSettings();
    EXPECT_NE(Get().find("\r\nShowCmd=2\r\n"), std::string::npos);
}

TEST_F(SettingsStore, RestoresPositionOnlyAtTheSameDensityAndNeverTheSize) {
    const struct {
        const char* name;
        std::string section;
        bool resizable;
        TRect expected;
        int applied;
    } cases[] = {
        {"resolution key wins",
         "PixelsPerInch=96\r\nNormPos=1,2,3,4\r\nNormPos(1280x1024)=50,60,70,80\r\n",
         false,
         {50, 60, 495, 243},
         1},
        {"plain key when the resolution key is empty",
         "NormPos(1280x1024)=\r\nNormPos=1,2,3,4\r\n",
         false,
         {1, 2, 446, 185},
         1},
        {"another resolution's key is not used", "NormPos(800x600)=1,2,3,4\r\n", false, {309, 149, 754, 332}, 0},
        {"other density", "PixelsPerInch=120\r\nNormPos=50,60,70,80\r\n", false, {309, 149, 754, 332}, 0},
        {"negative version", "FormVersion=-1\r\nNormPos=50,60,70,80\r\n", false, {309, 149, 754, 332}, 0},
        {"a resizable window gets its size", "NormPos=50,60,170,180\r\n", true, {50, 60, 170, 180}, 1},
        {"missing words take the current rectangle", "NormPos=50,x\r\n", true, {50, 149, 754, 332}, 1},
        {"an empty rectangle is not applied", "NormPos=50,60,40,80\r\n", true, {309, 149, 754, 332}, 0},
        {"minimized and maximized positions alone", "MinMaxPos=1,2\r\n", false, {309, 149, 754, 332}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window = FakeWindow::State{};
        window.resizable = c.resizable;
        Put("[TFormPdigi]\r\n" + c.section);
        store.RestoreSettings();
        const TRect& r = window.placement.normalPosition;
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
        EXPECT_EQ(window.placementsApplied, c.applied);
        if (c.applied > 0) {
            EXPECT_EQ(window.placement.showCmd, 0) << "applying it must not show a hidden window";
        }
    }
    window = FakeWindow::State{};
    Put("[TFormPdigi]\r\nFlags=1\r\nMinMaxPos=1,2,x\r\n");
    store.RestoreSettings();
    EXPECT_EQ(window.placement.flags, 1);
    EXPECT_EQ(window.placement.minPosition.x, 1);
    EXPECT_EQ(window.placement.minPosition.y, 2);
    EXPECT_EQ(window.placement.maxPosition.x, 0);
    EXPECT_EQ(window.placement.maxPosition.y, 0);
}

TEST_F(SettingsStore, RestoresStateAndField) {
    const struct {
        std::string section;
        std::vector<TWindowState> states;
        int applicationMinimized;
        const char* field;
    } cases[] = {
        {"ShowCmd=3\r\nPdigiDir_Text=  C:\\ソ\\  \r\n", {TWindowState::Maximized}, 0, "C:\\ソ\\"},
        {"ShowCmd=2\r\nPdigiDir_Text=\r\n", {TWindowState::Normal}, 1, ""},
        {"ShowCmd=2\r\nPdigiDir_Text=\"\"\r\n", {TWindowState::Normal}, 1, ""}, // quotes around nothing
        {"ShowCmd=7\r\n", {TWindowState::Normal}, 1, "designed"},
        {"ShowCmd=9\r\n", {TWindowState::Normal}, 0, "designed"},
        {"ShowCmd=x\r\nPdigiDir_Text=\"\"q\"\"\r\n", {TWindowState::Normal}, 0, "\"q\""},
        {"Other=1\r\n", {TWindowState::Normal}, 0, "designed"},
        {"FormVersion=-1\r\nShowCmd=3\r\nPdigiDir_Text=x\r\n", {}, 0, "designed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        window = FakeWindow::State{};
        Put("[TFormPdigi]\r\n" + c.section);
        store.RestoreSettings();
        EXPECT_EQ(window.states, c.states);
        EXPECT_EQ(window.applicationMinimized, c.applicationMinimized);
        EXPECT_EQ(window.properties["PdigiDir.Text"], c.field);
        EXPECT_TRUE(store.Restored());
    }
}

TEST_F(SettingsStore, AnExplicitSectionIsUsedInsteadOfTheClassName) {
    store.IniSection = "Other";
    Put("[TFormPdigi]\r\nPdigiDir_Text=class\r\n[Other]\r\nPdigiDir_Text=own\r\n");
    store.RestoreSettings();
    EXPECT_EQ(window.properties["PdigiDir.Text"], "own");
    store.SaveSettings();
    EXPECT_TRUE(Get().starts_with("[TFormPdigi]\r\nPdigiDir_Text=class\r\n[Other]\r\nPdigiDir_Text=own\r\n"));
    EXPECT_NE(Get().find("[Other]\r\nPdigiDir_Text=own\r\nFormVersion=0\r\n"), std::string::npos);
}

TEST_F(SettingsStore, APropertyThatFailsDoesNotStopTheOthers) {
    store.StoredProps = {"Gone.Text", "PdigiDir.Text"};
    Put("[TFormPdigi]\r\nPdigiDir_Text=C:\\x\\\r\n");
    store.RestoreSettings();
    EXPECT_EQ(window.properties["PdigiDir.Text"], "C:\\x\\");
}

TEST_F(SettingsStore, AWriteFailureNamesTheFile) {
    store.RestoreSettings();
    store.IniFileName = dir_.Native("missing/pex.ini");
    try {
        store.SaveSettings();
        FAIL() << "no error";
    } catch (const QuellixError& error) {
        EXPECT_EQ(std::string{error.what()}, store.IniFileName + " に書き込めません");
    }
    EXPECT_FALSE(store.Saved());
}

} // namespace
} // namespace quellix
