// The settings window's window-menu item: the check, as `quellix.exe "<reserve directory>" /check`
// runs it, in a process of its own so that this window stays as it is.
#include "support/cp932_win.h"
#include "support/os.h"
#include "support/unique_handle_win.h"
#include "ui/main_window_win.h"

namespace quellix {

void TFormPdigi::StartCheck() {
    const std::wstring exe = WideFromSjis(os::ExecutablePath());
    std::wstring commandLine = L"\"" + exe + L"\" \"" + WideFromSjis(firstArgument_) + L"\" /check";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process)) {
        const UniqueKernelHandle processHandle{process.hProcess};
        const UniqueKernelHandle threadHandle{process.hThread};
    }
}

} // namespace quellix
