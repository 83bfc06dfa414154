// The file operations a channel table performs on its file, its temporary and its backup. The
// table calls them through this interface so that tests can make any of them fail, or stop the
// program dead (by throwing) between any two of them, and then look at what is left on disk.
// Each call on a name waits out another program's brief hold on the file (os::WaitOutBriefHolds):
// a table is read and saved at every start, the moment a scanner may be looking at it.
#pragma once

#include "support/os.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quellix {

class TableFileSystem {
public:
    virtual ~TableFileSystem() = default;

    [[nodiscard]] virtual bool FileExists(const std::string& path) { return os::FileExists(path); }
    [[nodiscard]] virtual os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) {
        return os::OpenFileWaitingOutHolds(path, mode, share);
    }
    [[nodiscard]] virtual long long Read(os::File& file, void* buffer, std::size_t size) {
        return file.Read(buffer, size);
    }
    [[nodiscard]] virtual bool Write(os::File& file, std::string_view bytes) { return file.Write(bytes); }
    [[nodiscard]] virtual bool FlushToDisk(os::File& file) { return file.FlushToDisk(); }
    virtual bool CloseFile(os::File& file) { return file.Close(); }
    virtual bool RemoveFile(const std::string& path) {
        return os::WaitOutBriefHolds([&] { return os::RemoveFile(path); });
    }
    virtual bool LinkFile(const std::string& existing, const std::string& link) {
        return os::WaitOutBriefHolds([&] { return os::LinkFile(existing, link); });
    }
    virtual bool ReplaceFileAtomically(const std::string& from, const std::string& to) {
        return os::WaitOutBriefHolds([&] { return os::ReplaceFileAtomically(from, to); });
    }

    // The operating system itself.
    [[nodiscard]] static TableFileSystem& Real();
};

} // namespace quellix
