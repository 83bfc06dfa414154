// The main window's settings store: pex.ini keeps the channel-file directory and the placement.
#include "app/command_line.h"
#include "support/settings_store_win.h"
#include "ui/main_window_layout.h"
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::SetupSettingsStore() {
    FormStorage1.SetTarget(std::make_unique<TWindowSettingsTarget>(
        window_, std::vector<std::pair<std::string, HWND>>{{"PdigiDir", Control(layout::kIdPdigiDir)}}));
    FormStorage1.StoredProps = {"PdigiDir.Text"};
    FormStorage1.IniFileName = RootFile(rootDir_, "pex.ini");
    FormStorage1.Active = true;
    // Read once, here, before the window is first shown; it is never shown again but with its
    // owner, so no later show needs a read.
    FormStorage1.RestoreSettings();
}

// The store's errors go to the error hook here, so that the close and the destruction go on as usual.
void TFormPdigi::SaveSettingsOnAcceptedClose() {
    ReportingErrors([this] { FormStorage1.CloseAccepted(); });
}

void TFormPdigi::SaveSettingsOnDestroy() {
    ReportingErrors([this] { FormStorage1.WindowDestroying(); });
}

} // namespace quellix
