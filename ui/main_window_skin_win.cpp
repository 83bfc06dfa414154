// The main window's look and its user-interface buttons: shape, background, Home, About, File.
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::ApplyWindowRegion() {}

void TFormPdigi::PaintBackground(HDC dc) {
    RECT rect{};
    ::GetClientRect(Handle(), &rect);
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

void TFormPdigi::ButtonHomeClick() {}
void TFormPdigi::ButtonAboutClick() {}
void TFormPdigi::ButtonFileClick() {}

} // namespace quellix
