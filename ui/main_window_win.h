// TFormPdigi: the program's one window. It owns every component for the life of the process and
// carries the run controller: first activation, the import run and the run-control buttons.
#pragma once

#include "support/run_control.h"
#include "channels/channel_tables.h"
#include "support/log_file.h"
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

class TFormPdigi : public TWindowBase<TFormPdigi> {
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
    HWND Control(int id) const noexcept { return ::GetDlgItem(window_, id); }
    void EnableControl(int id, bool enabled) const noexcept;
    [[nodiscard]] bool ControlEnabled(int id) const noexcept;
    [[nodiscard]] int FocusedButton() const noexcept; // the id of the focused button, or 0
    void SetLabel1(std::string text);
    void SetProgress(int position) const noexcept;
    void Close();

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

    // The run.
    void RunImport();
    [[nodiscard]] std::string GetRootDir() const;

    // Steps that other parts of the program fill, each in a file of its own.
    void HarvestReservations();                        // main_window_harvest_win.cpp
    void ImportChannelFile();                          // main_window_channels_win.cpp
    void ImportChannelFileSteps();                     // main_window_channels_win.cpp
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
    std::vector<std::string> arguments_;
    std::string rootDir_;
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

    // Private fields of the controller, false or empty at creation.
    bool FActivated = false;
    TRunControl run_;
    std::string FReserveDir;
};

} // namespace quellix
