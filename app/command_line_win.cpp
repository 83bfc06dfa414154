#include "app/command_line_win.h"

#include "support/cp932_win.h"

#include <windows.h>
#include <shellapi.h>

namespace quellix {

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) {
        arguments.push_back(SjisFromWide(words[i]));
    }
    if (words != nullptr) {
        ::LocalFree(words);
    }
    return arguments;
}

} // namespace quellix
