// Key-at-a-time access to a Windows initialization file (pex.ini), done on the file's own bytes:
// Shift_JIS text stays Shift_JIS whatever the system's code page, and every byte outside the one
// value being written stays as it was, so the host's own sections and keys are left untouched.
//
// Why not GetPrivateProfileStringW / WritePrivateProfileStringW: for a file without a UTF-16 byte
// order mark they convert between the file and UTF-16 with the system's ANSI code page. Under a
// Western code page (1252) "C:\表ソ\" goes into the file as "C:\??\" and Shift_JIS already in
// it reads back as Latin-1 garbage (tried under Wine in a C.UTF-8 locale); the A functions use the
// same code page. So this module reads and edits the file itself, matching the profile functions
// where it matters: section and key names without regard to letter case, the first section of a
// name, trimmed values losing one enclosing pair of quotes, new keys at the end of their section,
// a missing section at the end of the file, CR LF line ends, an unchanged value not rewritten, and
// a file that starts with a byte order mark read and written in its own encoding (UTF-16 as they
// do; UTF-8 too, the mark no part of the first section's name).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellix::ini {

// Texts given and returned are Shift_JIS, whatever the file's encoding.
//
// The value of `key` in the first section named `section` of the file text; nullopt when the
// section or the key is missing. Names match without regard to ASCII letter case; the value is
// trimmed and loses one enclosing pair of double or single quotes.
[[nodiscard]] std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                                   std::string_view key);

// The file text with `key` of `section` set to `value`: an existing key keeps its line and only
// the text after its "=" changes; a new key goes after the last line of the section that is not
// blank; a missing section is added at the end of the text. New lines end in CR LF. A value is
// cut at its first line break, which would otherwise end the line early.
[[nodiscard]] std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                                   std::string_view value);

// The file's bytes; nullopt when it is missing or cannot be read.
[[nodiscard]] std::optional<std::string> ReadFileText(const std::string& path);

// Writes one key; false when the file cannot be read or written. The file is rewritten through a
// temporary file that replaces it in one step, so a failure never leaves it half written; a value
// that is already in place is not written again.
[[nodiscard]] bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                               std::string_view value);

// Writes several keys of one section as WriteString does one after the other, with one read and
// at most one write of the file.
[[nodiscard]] bool WriteStrings(const std::string& path, std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& keysAndValues);

} // namespace quellix::ini
