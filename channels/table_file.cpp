#include "channels/table_file.h"

#include "support/errors.h"
#include "support/text.h"

#include <array>
#include <cstdio>
#include <span>

namespace quellix {

namespace {

constexpr std::size_t kReadBlock = 8192;
// The most a table file may hold. A channel table takes a few kilobytes, and the 32-bit program
// could not hold more than this in memory: a larger file is refused, never cut down to a size_t.
constexpr long long kMaxTableBytes = 0x7FFFFFFF;

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    const std::size_t dot = LastDelimiter(path, ".\\:");
    const std::size_t stem = dot != std::string_view::npos && path[dot] == '.' ? dot : path.size();
    return std::string{path.substr(0, stem)} + std::string{extension};
}

void ReadFile(const std::string& path, TableFileSystem& fs, const std::function<void(std::string_view)>& consume,
              const std::function<void(std::size_t)>& expect = {}) {
    os::File file = fs.OpenFile(path, os::OpenMode::ReadExisting, os::Share::Read);
    if (!file.IsOpen()) {
        ThrowIoError("テーブルファイル[" + path + "]を開けません", os::LastError());
    }
    const long long size = file.Size();
    if (size > kMaxTableBytes) {
        ThrowIoError("テーブルファイル[" + path + "]を読み込めません", os::FileTooLargeError());
    }
    if (expect && size > 0) {
        expect(static_cast<std::size_t>(size));
    }
    std::array<char, kReadBlock> block{};
    for (long long total = 0;;) {
        const long long got = fs.Read(file, block.data(), block.size());
        if (got < 0) {
            ThrowIoError("テーブルファイル[" + path + "]を読み込めません", os::LastError());
        }
        if (got == 0) {
            return;
        }
        if ((total += got) > kMaxTableBytes) { // grown since, or of a size the system could not tell
            ThrowIoError("テーブルファイル[" + path + "]を読み込めません", os::FileTooLargeError());
        }
        consume(std::string_view{block.data(), static_cast<std::size_t>(got)});
    }
}

std::string ReadWholeFile(const std::string& path, TableFileSystem& fs) {
    std::string bytes;
    ReadFile(
        path, fs, [&bytes](std::string_view block) { bytes.append(block); },
        [&bytes](std::size_t size) { bytes.reserve(size); });
    return bytes;
}

// Writes a new file that nobody else may open meanwhile and pushes it to the disk. CreateNew
// makes sure no other name of an existing file (a hard link left by a crash) is written through.
// False with the error code in `error` on failure; the partial file is then removed.
bool WriteNewFile(const std::string& path, const TableContent& content, TableFileSystem& fs, std::uint32_t& error) {
    os::File file = fs.OpenFile(path, os::OpenMode::CreateNew, os::Share::None);
    if (!file.IsOpen()) {
        error = os::LastError();
        return false;
    }
    if (!content([&](std::string_view bytes) { return fs.Write(file, bytes); }) || !fs.FlushToDisk(file) ||
        !fs.CloseFile(file)) {
        error = os::LastError();
        fs.CloseFile(file);
        fs.RemoveFile(path);
        return false;
    }
    return true;
}

TableContent ContentOf(std::string_view bytes) {
    return [bytes](const std::function<bool(std::string_view)>& write) { return write(bytes); };
}

bool CopyFileTo(const std::string& from, const std::string& to, TableFileSystem& fs) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(from, fs);
    } catch (const IoError&) {
        return false;
    }
    std::uint32_t error{};
    return WriteNewFile(to, ContentOf(bytes), fs, error);
}

// Puts `bytes` under the name `path` (missing or empty) through the temporary.
void RestoreTableFile(const std::string& path, std::string_view bytes, TableFileSystem& fs) {
    std::string temporary = TemporaryPathOf(path);
    fs.RemoveFile(temporary);
    std::uint32_t error{};
    if (!WriteNewFile(temporary, ContentOf(bytes), fs, error)) {
        ThrowIoError("テーブルファイル[" + path + "]を復元できません", error);
    }
    if (!fs.ReplaceFileAtomically(temporary, path)) {
        ThrowIoError("テーブルファイル[" + path + "]を復元できません", os::LastError());
    }
}

// A name beside `temporary` that no save, recovery or earlier setting aside uses: the time in it,
// and a counter when that name is taken.
std::string AsideName(const std::string& path, int attempt) {
    const os::LocalDateTime now = os::Now();
    char suffix[64];
    if (attempt > 0) {
        std::snprintf(suffix, sizeof suffix, ".%04d%02d%02d-%02d%02d%02d-%d.$$$", now.year, now.month, now.day,
                      now.hour, now.minute, now.second, attempt);
    } else {
        std::snprintf(suffix, sizeof suffix, ".%04d%02d%02d-%02d%02d%02d.$$$", now.year, now.month, now.day, now.hour,
                      now.minute, now.second);
    }
    return ChangeFileExt(path, suffix);
}

// Moves a temporary that recovery does not use out of the way of the next save, which would
// otherwise delete it: it may be the newest table, written by another program or cut short.
void SetTemporaryAside(const std::string& path, const std::string& temporary, TableFileSystem& fs,
                       const TableNotice& notice) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string aside = AsideName(path, attempt);
        // Neither a link nor a new file replaces a file that exists under that name.
        if (fs.LinkFile(temporary, aside) || CopyFileTo(temporary, aside, fs)) {
            fs.RemoveFile(temporary);
            if (notice) {
                notice("一時ファイル[" + temporary + "]は復元に使わず[" + aside + "]に退避しました");
            }
            return;
        }
    }
    ThrowIoError("一時ファイル[" + temporary + "]を退避できません", os::LastError());
}

// The table put back under its name from the temporary when it holds a whole table (it is then
// the newest; see IsCompleteTableText), else from the backup; an unused temporary set aside. The
// name of the file it came from, or empty when there was nothing to put back.
std::string RecoverTableFile(const std::string& path, TableFileSystem& fs, TableTextReader& reader,
                             const TableNotice& notice) {
    std::string temporary = TemporaryPathOf(path);
    if (fs.FileExists(temporary)) {
        const std::string bytes = ReadWholeFile(temporary, fs);
        if (IsCompleteTableText(bytes, reader.Fields())) {
            if (!fs.ReplaceFileAtomically(temporary, path)) {
                ThrowIoError("テーブルファイル[" + path + "]を復元できません", os::LastError());
            }
            reader.Feed(bytes);
            return temporary;
        }
        SetTemporaryAside(path, temporary, fs, notice);
    }
    std::string backup = BackupPathOf(path);
    if (fs.FileExists(backup)) {
        const std::string bytes = ReadWholeFile(backup, fs);
        RestoreTableFile(path, bytes, fs);
        reader.Feed(bytes);
        return backup;
    }
    return {};
}

// True when the backup of `path` holds at least one record. A backup that cannot be read (held by
// another program, say) is no reason to stop the run: the table then opens empty, as a zero-byte
// file does, and `notice` is told.
bool BackupHoldsRows(const std::string& path, TableFileSystem& fs, std::span<const TFieldDef> fields,
                     const TableNotice& notice) {
    const std::string backup = BackupPathOf(path);
    if (!fs.FileExists(backup)) {
        return false;
    }
    try {
        return !ParseTableText(ReadWholeFile(backup, fs), fields).Empty();
    } catch (const IoError& error) {
        if (notice) {
            notice("テーブルファイル[" + path + "]が空ですが[" + backup +
                   "]を読み込めないため空のまま開きます: " + SystemErrorText(error.Code()));
        }
        return false;
    }
}

} // namespace

std::string TemporaryPathOf(std::string_view path) {
    return ChangeFileExt(path, ".$$$");
}

std::string BackupPathOf(std::string_view path) {
    return ChangeFileExt(path, ".old");
}

bool LoadTableFile(const std::string& path, TableFileSystem& fs, TableTextReader& reader, const TableNotice& notice) {
    if (fs.FileExists(path)) {
        bool empty = true;
        ReadFile(
            path, fs,
            [&reader, &empty](std::string_view block) {
                empty = false;
                reader.Feed(block);
            },
            [&reader](std::size_t size) { reader.Expect(size); });
        // This program never writes an empty file (a table has at least its header line): the
        // save that left it was cut short, or another program emptied it. Saving over it would
        // turn the good backup into the empty file too.
        if (empty && BackupHoldsRows(path, fs, reader.Fields(), notice)) {
            const std::string source = RecoverTableFile(path, fs, reader, notice);
            if (notice) {
                notice("テーブルファイル[" + path + "]が空のため[" + source + "]から復元しました");
            }
        }
        return true;
    }
    // No file: a save was cut short between taking the old file away and putting the new one in
    // place (this program never does that, but the host or the earlier way of saving may), or,
    // most often, the file was deleted on purpose to reset it. Either way the log says what came
    // back.
    const std::string source = RecoverTableFile(path, fs, reader, notice);
    if (source.empty()) {
        return false;
    }
    if (notice) {
        notice("テーブルファイル[" + path + "]がないため[" + source + "]から復元しました");
    }
    return true;
}

void SaveTableFile(const std::string& path, const TableContent& content, TableFileSystem& fs) {
    std::string temporary = TemporaryPathOf(path);
    const std::string backup = BackupPathOf(path);

    // 1. The current file becomes the backup without ever leaving its own name: a second name
    //    for it (a hard link, or a copy where the file system has none) is moved over the
    //    backup in one step. The backup is thus always a complete table.
    //    The link is tried first: it fails when there is no file, which is then looked for. Each
    //    call is a round of system calls under Wine, and every run saves six times.
    fs.RemoveFile(temporary); // left by an interrupted save
    bool secondName = fs.LinkFile(path, temporary);
    if (!secondName) {
        if (!fs.FileExists(path)) {
            fs.RemoveFile(backup); // no file, so no backup of it either
        } else {
            secondName = CopyFileTo(path, temporary, fs); // a failed copy removes what it wrote
        }
    }
    if (secondName && !fs.ReplaceFileAtomically(temporary, backup)) {
        fs.RemoveFile(temporary);
    }

    // 2. The new table goes to the temporary and onto the disk before it takes the file's name;
    //    until then the file still holds the last save. The temporary can still be there: a
    //    rename between two names of one file (a backup left linked by an interrupted save) does
    //    nothing on POSIX systems.
    fs.RemoveFile(temporary);
    std::uint32_t error{};
    if (!WriteNewFile(temporary, content, fs, error)) {
        ThrowIoError("一時ファイル[" + temporary + "]を作成できません", error);
    }

    // 3. One step from the old table to the new one.
    if (!fs.ReplaceFileAtomically(temporary, path)) {
        error = os::LastError();
        fs.RemoveFile(temporary);
        ThrowIoError("テーブルファイル[" + path + "]を置き換えられません", error);
    }
}

} // namespace quellix
