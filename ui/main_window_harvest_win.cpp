// The import run's harvest step of the main window.
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::HarvestReservations() {}

} // namespace quellix
