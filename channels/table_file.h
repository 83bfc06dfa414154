// A channel table's file on disk: reading it for Open, and replacing it for Close so that a crash
// at any moment leaves a complete table behind. Next to the file P live its temporary (P with the
// extension ".$$$") while a save is under way and its backup (extension ".old"), the file as it
// was before the last save.
#pragma once

#include "channels/csv_table_format.h"
#include "channels/table_file_system.h"

#include <functional>
#include <string>
#include <string_view>

namespace quellix {

// P with its extension replaced (or added when it has none).
[[nodiscard]] std::string TemporaryPathOf(std::string_view path);
[[nodiscard]] std::string BackupPathOf(std::string_view path);

// Receives one plain line about what recovery did (for the log).
using TableNotice = std::function<void(const std::string& text)>;

// Reads the table file at `path` into `reader`, in blocks of 8192 bytes, with others allowed to
// read but not to write it; false when there is no table to load. When the file is missing
// because a save was cut short, the table is first put back under its name: from the temporary
// when it holds a whole table (it is then the newest; see IsCompleteTableText), else from the
// backup. A temporary not used for that is never deleted: it is set aside under a name with the
// time in it, told to `notice`. An empty file beside a backup that holds records is put back in
// the same way, so that the next save does not make the backup empty too. Every table put back is
// told to `notice`, with the file it came from; so is an empty file whose backup cannot be read,
// which then loads nothing. Raises IoError when the table file or a temporary exists but cannot be
// opened or read, or a file cannot be put back or set aside; the reader may then have seen part of
// the file.
[[nodiscard]] bool LoadTableFile(const std::string& path, TableFileSystem& fs, TableTextReader& reader,
                                 const TableNotice& notice = {});

// Produces a table file's bytes, handing them piece by piece to `write`; false as soon as a write
// failed.
using TableContent = std::function<bool(const std::function<bool(std::string_view)>& write)>;

// Makes `content` the table file at `path`, the file it replaces becoming the backup. Raises
// IoError when the new file cannot be written or put in place; the file is then left as it was. A
// backup that cannot be made is no reason to stop.
void SaveTableFile(const std::string& path, const TableContent& content, TableFileSystem& fs);

} // namespace quellix
