// TFormPdigi: the program's one window. It owns every component for the life of the process,
// shows the run (RunView) and routes its events into the run controller.
#pragma once

#include "app/run_controller.h"
#include "app/run_view.h"
#include "channels/channel_tables.h"
#include "support/log_file.h"
#include "support/run_control.h"
#include "support/settings_store.h"
#include "support/unique_handle_win.h"
#include "ui/glyph_button_win.h"
#include "ui/region_win.h"
#include "ui/window_base_win.h"

#include <windows.h>

#include <exception>
#include <map>
#include <string>
#include <vector>

namespace quellix {

// The registered message by which a test program shortens the run's time limit for a system tool
// (wParam: milliseconds; returns 1 when taken).
[[nodiscard]] UINT ToolTimeLimitMessage();

class TFormPdigi : public TWindowBase<TFormPdigi>, private RunView {
public:
    TFormPdigi(HINSTANCE instance, std::vector<std::string> arguments);
    TFormPdigi(const TFormPdigi&) = delete;
    TFormPdigi& operator=(const TFormPdigi&) = delete;
    ~TFormPdigi();

    // Registers the class, creates the window owned by the application window (FormCreate runs
    // inside) and shows it.
    bool CreateAndShow(HWND applicationWindow, int showCommand);
    // A close was accepted; the message loop ends once the running handler has unwound.
    [[nodiscard]] bool CloseRequested() const noexcept { return closeRequested_; }
    void Destroy();

    // The application-wide error hook: the message goes to the log as an error line; a failure of
    // that write is absorbed, the program goes on.
    void AppException(const std::exception& error) noexcept;
    void AppException(const std::string& message) noexcept;

    TLogFile LogFile1;
    TSettingsStore FormStorage1;
    // The channel tables; their files lie in the host's root directory (set in FormCreate).
    TCsvTable TableTV = CreateTableTV();
    TCsvTable TableTVChNo = CreateTableTVChNo();
    TCsvTable TableTVChData = CreateTableTVChData();

private:
    friend class TWindowBase<TFormPdigi>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnActivate(bool active); // WM_ACTIVATE: keeps the focus on leaving, starts the first activation
    void RestoreFocus();          // WM_SETFOCUS
    [[nodiscard]] HWND Control(int id) const noexcept { return ::GetDlgItem(window_, id); }
    void EnableControl(int id, bool enabled) const noexcept;
    [[nodiscard]] bool ControlEnabled(int id) const noexcept;
    [[nodiscard]] int FocusedButton() const noexcept; // the id of the focused button, or 0
    void Close() override;

    // RunView.
    [[nodiscard]] std::string StatusText() const override { return label1Text_; }
    void SetStatusText(std::string text) override;
    void SetProgress(int position) override;
    void EnableRunButton(RunButton button, bool enabled) override;
    void PumpMessages() override;
    void HideSettingLabel() override;
    [[nodiscard]] std::wstring ChannelDirText() const override;
    void SetChannelDirText(const std::wstring& text) override;

    // Events.
    void FormCreate();
    void FormActivate();
    void FormClose();
    void FormDestroy();
    void WMPaint();
    void OnCommand(int id, int code);
    void ButtonPlayClick();
    void ButtonPauseClick();
    void ButtonSkipClick();
    void ButtonStopClick();
    bool ShortenToolTimeLimit(WPARAM milliseconds);
    void StartCheck(); // main_window_check_win.cpp

    [[nodiscard]] std::string GetRootDir() const;

    // Steps that other parts of the window fill, each in a file of its own.
    void SetupSettingsStore();                         // main_window_settings_win.cpp
    void SaveSettingsOnAcceptedClose();                // main_window_settings_win.cpp
    void SaveSettingsOnDestroy();                      // main_window_settings_win.cpp
    void ApplyWindowRegion();                          // main_window_skin_win.cpp
    void PaintBackground(HDC dc);                      // main_window_skin_win.cpp
    void ButtonHomeClick();                            // main_window_skin_win.cpp
    void ButtonAboutClick();                           // main_window_skin_win.cpp
    void ButtonFileClick();                            // main_window_skin_win.cpp
    void SetupButtonLooks();                           // main_window_skin_win.cpp: glyphs
    void CreateHints();                                // main_window_skin_win.cpp: on the first hover
    void DrawButton(const DRAWITEMSTRUCT& item) const; // main_window_skin_win.cpp

    HINSTANCE instance_;
    HWND applicationWindow_ = nullptr; // owns this window and the About box
    std::string rootDir_;
    std::string firstArgument_; // the reserve directory the host named, for the check
    bool closeRequested_ = false;
    bool labelSettingVisible_ = true;
    std::string label1Text_;
    UniqueHfont formFont_;
    UniqueHfont labelFont_;
    HWND lastFocus_ = nullptr;

    // The window's look (main_window_skin_win.cpp).
    TRgn Rgn1{"Rgn1"};
    std::map<int, TGlyph> glyphs_;
    HWND hints_ = nullptr;

    // Private fields of the run, false or empty at creation; the controller works on them.
    bool FActivated = false;
    TRunControl run_;
    std::string FReserveDir;
    TRunController controller_;
};

} // namespace quellix
