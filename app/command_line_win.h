// The program's command-line arguments (without the program name), as Shift_JIS.
#pragma once

#include <string>
#include <vector>

namespace quellix {

[[nodiscard]] std::vector<std::string> CommandLineArguments();

} // namespace quellix
