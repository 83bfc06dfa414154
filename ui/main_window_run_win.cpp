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

UINT ToolTimeLimitMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Quellix.ShortenToolTimeLimit");
    return message;
}

// The tests' way to a hung tool's end in seconds rather than minutes, in the real program. A
// registered message rather than an argument, a setting or an environment variable: the host's
// command line, pex.ini and the environment are what users and the host set, and a value there,
// once set by mistake, would end every run's tool early; a message reaches one running
// instance only, from a program written to send it. Only a shorter limit is taken, so nothing
// can make the program hold the host longer than it would.
bool TFormPdigi::ShortenToolTimeLimit(WPARAM milliseconds) {
    if (milliseconds == 0 || milliseconds >= run_.ToolTimeLimitMilliseconds) {
        return false;
    }
    run_.ToolTimeLimitMilliseconds = static_cast<std::uint32_t>(milliseconds);
    return true;
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
