#include "ui/shell_open_win.h"

#include "support/cp932_win.h"

#include <windows.h>

#include <shellapi.h>

namespace quellix {

void ShellOpen(const std::string& target, const std::string& parameters) {
    const std::wstring file = WideFromSjis(target);
    const std::wstring arguments = WideFromSjis(parameters);
    ::ShellExecuteW(nullptr, L"open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(), nullptr,
                    SW_SHOWNORMAL);
}

} // namespace quellix
