// Program entry, the one place that puts the layers together: single instance, the application
// window and the main window, the error hook, the message loop; exit code 0 in every case but a
// crash (support/crash_guard_win.h). The check runs without the window and the single instance.
#include "app/check_run_win.h"
#include "app/command_line.h"
#include "app/command_line_win.h"
#include "support/crash_guard_win.h"
#include "support/message_queue_win.h"
#include "support/single_instance_win.h"
#include "ui/application_window_win.h"
#include "ui/main_window_layout.h"
#include "ui/main_window_win.h"
#include "ui/window_base_win.h"

#include <windows.h>

namespace {

constexpr const wchar_t* kInstanceMutex = L"RIVUzovUv";

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int showCommand) {
    quellix::InstallCrashGuard(); // before anything can fail, and before the tool is started
    // The check changes nothing, so it runs beside an open settings window (which it reports).
    if (const std::vector<std::string> arguments = quellix::CommandLineArguments();
        quellix::DecideMode(arguments) == quellix::RunMode::Check) {
        quellix::RunCheck(arguments, quellix::layout::kWindowClass, kInstanceMutex);
        return 0;
    }
    if (!quellix::CheckSingleInstance(kInstanceMutex)) {
        return 0; // another instance runs: no window, no log line
    }
    {
        quellix::TApplicationWindow application{instance, quellix::layout::kApplicationTitle};
        quellix::TFormPdigi form{instance, quellix::CommandLineArguments()};
        // Every window's errors end in the main window's log.
        const quellix::ScopedErrorHook errorHook{[&form](const std::string& message) { form.AppException(message); }};
        // A crash on any thread ends in the same log, once it is open (the first activation).
        const quellix::ScopedCrashLog crashLog{
            [&form](const std::string& text) { form.LogFile1.WriteLog(text, true); }};
        if (form.CreateAndShow(application.Handle(), showCommand)) {
            const HWND window = form.Handle();
            quellix::RegisterDialogKeyWindow(window); // Esc and Tab, in this loop and in every wait
            application.SetMainWindow(window);
            application.Show(); // after the main window's first showing, which the host's show command governs
            MSG message{};
            while (!form.CloseRequested() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (!quellix::HandleDialogMessage(message)) {
                    ::TranslateMessage(&message);
                    ::DispatchMessageW(&message);
                }
            }
            form.Destroy();
            quellix::UnregisterDialogKeyWindow(window);
        }
    }
    quellix::ReleaseSingleInstance();
    return 0;
}
