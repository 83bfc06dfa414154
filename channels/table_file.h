// A channel table's file on disk: reading it for Open, and replacing it for Close so that a crash
// at any moment leaves a complete table behind. Next to the file P live its temporary (P with the
// extension ".$$$") while a save is under way and its backup (extension ".old"), the file as it
// was before the last save.
#pragma once

#include "channels/table_file_system.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// P with its extension replaced (or added when it has none).
[[nodiscard]] std::string TemporaryPathOf(std::string_view path);
[[nodiscard]] std::string BackupPathOf(std::string_view path);

// The bytes of the table file at `path`, read in blocks of 8192 bytes with others allowed to read
// but not to write it; nullopt when there is no table to load. When the file is missing because a
// save was cut short, the table is first put back under its name: from the temporary when
// `isComplete` accepts it as a whole table (it is then the newest), else from the backup.
// Raises IoError when a file exists but cannot be opened or read, or cannot be put back.
[[nodiscard]] std::optional<std::string> LoadTableFile(const std::string& path, TableFileSystem& fs,
                                                       const std::function<bool(std::string_view)>& isComplete);

// Makes `bytes` the table file at `path`, the file it replaces becoming the backup. Raises IoError
// when the new file cannot be written or put in place; the file is then left as it was. A backup
// that cannot be made is no reason to stop.
void SaveTableFile(const std::string& path, std::string_view bytes, TableFileSystem& fs);

} // namespace quellix
