#include "ui/window_base_win.h"

#include <exception>
#include <utility>

namespace quellix {

namespace {

ErrorHook& TheErrorHook() {
    static ErrorHook hook;
    return hook;
}

void Report(const char* message) noexcept {
    try {
        if (TheErrorHook()) {
            TheErrorHook()(std::string{message});
        }
    } catch (...) {
        // The hook itself failed: nothing else can report it, and the program must go on.
    }
}

} // namespace

ScopedErrorHook::ScopedErrorHook(ErrorHook hook) {
    TheErrorHook() = std::move(hook);
}

ScopedErrorHook::~ScopedErrorHook() {
    TheErrorHook() = nullptr;
}

void ReportingErrors(const std::function<void()>& step) noexcept {
    try {
        step();
    } catch (const std::exception& error) {
        Report(error.what());
    } catch (...) {
        Report("原因の分からないエラーのため、この処理を中断しました");
    }
}

} // namespace quellix
