// The channel-file import of the main window, run at every start.
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::ImportChannelFile() {}

} // namespace quellix
