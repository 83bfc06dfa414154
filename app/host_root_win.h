// The host's root directory, from its registry value RootPath.
#pragma once

#include <optional>
#include <string>

namespace quellix {

// RootPath as the registry holds it; nullopt when the key or value is missing or not a string.
[[nodiscard]] std::optional<std::wstring> HostRootPathValue();

// The root directory in Shift_JIS; empty without RootPath. A name that code page 932 cannot hold
// is taken by its short name, the same directory; without one it keeps a "?" for each such
// character: no file can be written under that name, so none goes elsewhere either.
[[nodiscard]] std::string HostRootDir();

} // namespace quellix
