// Asking the Windows shell to open a URL or a file.
#pragma once

#include <string>

namespace quellix {

// Opens `target` (a URL or a file path) with the shell's "open" verb and `parameters` (empty:
// none), in the directory part of the target, shown normally. Nothing is reported when the shell
// cannot open it.
void ShellOpen(const std::string& target, const std::string& parameters);

} // namespace quellix
