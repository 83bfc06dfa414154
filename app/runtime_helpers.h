// Small run-time helpers of the import run: text files opened with retries (support/text_file.h)
// and names made unique against the file system.
#pragma once

#include "support/text_file.h"

#include <string>

namespace quellix {

// `name` when no file of that name exists, otherwise the first of "name(1).ext", "name(2).ext",
// ... that does not exist (the extension is the part from the last "." after the last "\" or
// ":"; a name without one gets the number at its end). Relative names are taken from the current
// directory.
[[nodiscard]] std::string MakeUniqueName(const std::string& name);

} // namespace quellix
