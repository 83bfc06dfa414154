#include "support/system_folders_win.h"

#include "support/cp932_win.h"
#include "support/text.h"

#include <windows.h>

#include <shlobj.h>

namespace quellix {

namespace {

// The folder's CSIDL is its known folder's (FOLDERID_ProgramFilesX86, FOLDERID_ProgramData) on
// Vista and later. SHGetFolderPathW gives it without the COM library, which SHGetKnownFolderPath's
// buffer would need to be freed, loaded at every start.
std::optional<std::string> SystemFolder(int csidl) {
    wchar_t path[MAX_PATH]{};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == L'\0') {
        return std::nullopt;
    }
    return SjisPathFromWide(path);
}

} // namespace

std::optional<std::string> ProgramFilesX86Folder() {
    return SystemFolder(CSIDL_PROGRAM_FILESX86);
}

std::optional<std::string> CommonAppDataFolder() {
    return SystemFolder(CSIDL_COMMON_APPDATA);
}

// GetTempPathW takes TMP, then TEMP, then the user's profile folder, then the Windows folder.
TempDirectory SystemTempDirectory() {
    std::wstring path(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length = ::GetTempPathW(static_cast<DWORD>(path.size()), path.data());
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(length + 1);
    }
    TempDirectory directory;
    directory.shown = IncludeTrailingBackslash(SjisFromWide(path));
    if (std::optional<std::string> usable = path.empty() ? std::nullopt : SjisPathFromWide(path)) {
        directory.path = IncludeTrailingBackslash(*usable);
    }
    return directory;
}

} // namespace quellix
