// Asking the Windows shell to open a web address.
#pragma once

#include <string>

namespace quellix {

// Opens `target` with the shell's "open" verb and `parameters` (empty: none). A failure is not
// reported: the shell shows its own message, if any.
void ShellOpen(const std::string& target, const std::string& parameters);

} // namespace quellix
