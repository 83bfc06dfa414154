#include "app/command_line_win.h"

#include "app/command_line.h"
#include "support/cp932_win.h"

#include <windows.h>

namespace quellix {

// Split by the program's own rules, not by CommandLineToArgvW: under the platform's rules the
// backslash that ends a quoted directory ("C:\...\GigaPocket\") escapes the closing quote.
std::vector<std::string> CommandLineArguments() {
    return SplitCommandLine(SjisFromWide(::GetCommandLineW()));
}

} // namespace quellix
