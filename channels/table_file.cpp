#include "channels/table_file.h"

#include "support/errors.h"
#include "support/text.h"

#include <array>

namespace quellix {

namespace {

constexpr std::size_t kReadBlock = 8192;
constexpr std::size_t kWriteBlock = 65536;

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    const std::size_t dot = LastDelimiter(path, ".\\:");
    const std::size_t stem = dot != std::string_view::npos && path[dot] == '.' ? dot : path.size();
    return std::string{path.substr(0, stem)} + std::string{extension};
}

[[noreturn]] void ThrowIoError(const std::string& what, std::uint32_t code) {
    throw IoError{what + ": " + os::ErrorMessage(code) + " (" + std::to_string(code) + ")", code};
}

std::string ReadWholeFile(const std::string& path, TableFileSystem& fs) {
    os::File file = fs.OpenFile(path, os::OpenMode::ReadExisting, os::Share::Read);
    if (!file.IsOpen()) {
        ThrowIoError("テーブルファイル[" + path + "]を開けません", os::LastError());
    }
    std::string bytes;
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kReadBlock);
        const long long got = fs.Read(file, bytes.data() + used, kReadBlock);
        if (got < 0) {
            ThrowIoError("テーブルファイル[" + path + "]を読み込めません", os::LastError());
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (got == 0) {
            return bytes;
        }
    }
}

// Writes a new file that nobody else may open meanwhile and pushes it to the disk. CreateNew
// makes sure no other name of an existing file (a hard link left by a crash) is written through.
// False with the error code in `error` on failure; the partial file is then removed.
bool WriteNewFile(const std::string& path, std::string_view bytes, TableFileSystem& fs, std::uint32_t& error) {
    os::File file = fs.OpenFile(path, os::OpenMode::CreateNew, os::Share::None);
    if (!file.IsOpen()) {
        error = os::LastError();
        return false;
    }
    const auto fail = [&] {
        error = os::LastError();
        fs.CloseFile(file);
        fs.RemoveFile(path);
        return false;
    };
    for (std::size_t at = 0; at < bytes.size(); at += kWriteBlock) {
        if (!fs.Write(file, bytes.substr(at, kWriteBlock))) {
            return fail();
        }
    }
    if (!fs.FlushToDisk(file) || !fs.CloseFile(file)) {
        return fail();
    }
    return true;
}

bool CopyFileTo(const std::string& from, const std::string& to, TableFileSystem& fs) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(from, fs);
    } catch (const IoError&) {
        return false;
    }
    std::uint32_t error{};
    return WriteNewFile(to, bytes, fs, error);
}

// Puts `bytes` under the name `path`, which does not exist, through the temporary.
void RestoreTableFile(const std::string& path, std::string_view bytes, TableFileSystem& fs) {
    const std::string temporary = TemporaryPathOf(path);
    fs.RemoveFile(temporary);
    std::uint32_t error{};
    if (!WriteNewFile(temporary, bytes, fs, error)) {
        ThrowIoError("テーブルファイル[" + path + "]を復元できません", error);
    }
    if (!fs.ReplaceFileAtomically(temporary, path)) {
        ThrowIoError("テーブルファイル[" + path + "]を復元できません", os::LastError());
    }
}

} // namespace

std::string TemporaryPathOf(std::string_view path) {
    return ChangeFileExt(path, ".$$$");
}

std::string BackupPathOf(std::string_view path) {
    return ChangeFileExt(path, ".old");
}

std::optional<std::string> LoadTableFile(const std::string& path, TableFileSystem& fs,
                                         const std::function<bool(std::string_view)>& isComplete) {
    if (fs.FileExists(path)) {
        return ReadWholeFile(path, fs);
    }
    // No file: a save was cut short between taking the old file away and putting the new one in
    // place (this program never does that, but the earlier way of saving did), or the file was
    // deleted by hand. A temporary written to the end is newer than the backup.
    const std::string temporary = TemporaryPathOf(path);
    if (fs.FileExists(temporary)) {
        std::string bytes = ReadWholeFile(temporary, fs);
        if (isComplete(bytes)) {
            if (!fs.ReplaceFileAtomically(temporary, path)) {
                ThrowIoError("テーブルファイル[" + path + "]を復元できません", os::LastError());
            }
            return bytes;
        }
    }
    const std::string backup = BackupPathOf(path);
    if (fs.FileExists(backup)) {
        std::string bytes = ReadWholeFile(backup, fs);
        RestoreTableFile(path, bytes, fs);
        return bytes;
    }
    return std::nullopt;
}

void SaveTableFile(const std::string& path, std::string_view bytes, TableFileSystem& fs) {
    const std::string temporary = TemporaryPathOf(path);
    const std::string backup = BackupPathOf(path);

    // 1. The current file becomes the backup without ever leaving its own name: a second name
    //    for it (a hard link, or a copy where the file system has none) is moved over the
    //    backup in one step. The backup is thus always a complete table.
    fs.RemoveFile(temporary); // left by an interrupted save
    if (fs.FileExists(path)) {
        if (fs.LinkFile(path, temporary) || CopyFileTo(path, temporary, fs)) {
            if (!fs.ReplaceFileAtomically(temporary, backup)) {
                fs.RemoveFile(temporary);
            }
        }
    } else {
        fs.RemoveFile(backup); // no file, so no backup of it either
    }

    // 2. The new table goes to the temporary and onto the disk before it takes the file's name;
    //    until then the file still holds the last save.
    fs.RemoveFile(temporary);
    std::uint32_t error{};
    if (!WriteNewFile(temporary, bytes, fs, error)) {
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
