#include "support/shell_open_win.h"

#include "support/cp932_win.h"
#include "support/os.h"
#include "support/text.h"

#include <windows.h>

#include <shellapi.h>

namespace quellix {

void ShellOpen(const std::string& target, const std::string& parameters) {
    const std::wstring file = WideFromSjis(target);
    const std::wstring arguments = WideFromSjis(parameters);
    // The target's folder. A URL's "directory part" is its scheme ("https:"), which names no
    // folder; the shell is given none then rather than a bogus one.
    const std::string folder = ExtractFilePath(target);
    const std::wstring directory = os::DirectoryExists(folder) ? WideFromSjis(folder) : std::wstring{};
    ::ShellExecuteW(nullptr, L"open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                    directory.empty() ? nullptr : directory.c_str(), SW_SHOW);
}

} // namespace quellix
