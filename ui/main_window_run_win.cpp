// The main window's run events, routed into the run controller, and closing.
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::FormActivate() {
    if (FActivated) {
        return;
    }
    FActivated = true;
    controller_.FirstActivation(rootDir_);
}

void TFormPdigi::ButtonPlayClick() {
    controller_.Play();
}

void TFormPdigi::ButtonPauseClick() {
    controller_.Pause();
}

void TFormPdigi::ButtonSkipClick() {
    controller_.Skip();
}

void TFormPdigi::ButtonStopClick() {
    controller_.Stop();
}

// Closing is a request: the window is destroyed only after the running handler has unwound, so
// a close from inside a nested loop never pulls the window away from under that loop.
void TFormPdigi::Close() {
    if (closeRequested_ || window_ == nullptr) {
        return;
    }
    FormClose();
    closeRequested_ = true;
    SaveSettingsOnAcceptedClose();
    ::ShowWindow(window_, SW_HIDE);
}

void TFormPdigi::FormClose() {
    run_.FStopRequested = true;
}

void TFormPdigi::FormDestroy() {}

} // namespace quellix
