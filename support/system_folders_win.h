// The system's own folders, asked of the system rather than taken from fixed drive letters or
// environment variables, in Shift_JIS.
#pragma once

#include <optional>
#include <string>

namespace quellix {

// The folder of 32-bit programs ("Program Files (x86)" on 64-bit Windows, "Program Files" on
// 32-bit Windows; the 32-bit and the 64-bit program both get it); nullopt when the system has
// none or its name does not survive code page 932, even as its short name.
[[nodiscard]] std::optional<std::string> ProgramFilesX86Folder();
// The application data common to all users (normally C:\ProgramData); nullopt as above.
[[nodiscard]] std::optional<std::string> CommonAppDataFolder();

// The system's directory for temporary files, with a trailing backslash.
struct TempDirectory {
    std::optional<std::string> path; // its own name, or its short name; nullopt when neither survives code page 932
    std::string shown;               // its name as code page 932 can show it, for the log
};
[[nodiscard]] TempDirectory SystemTempDirectory();

} // namespace quellix
