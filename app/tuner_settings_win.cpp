#include "app/tuner_settings_win.h"

#include "channels/channel_import.h"
#include "support/cp932_win.h"
#include "support/registry_win.h"
#include "support/system_folders_win.h"

namespace quellix {

namespace {

constexpr const char* kTunerAppCfgKey = R"(Software\BUFFALO INC.\PCastTVDigital\AppCfg)";
constexpr const char* kTunerProgramKey = R"(Software\BUFFALO INC.\PCastTVDigital\PCastDigi)";

} // namespace

TunerSettings ReadTunerSettings() {
    TunerSettings settings;
    if (const auto appCfg = RegistryKeyReader::OpenCurrentUser(kTunerAppCfgKey)) {
        // A missing value, or one that is not a DWORD, leaves area 0. The value is the tuner's
        // 32-bit integer: read as signed, as the tuner stores it.
        if (const auto area = appCfg->ReadDword("LocationIdx")) {
            settings.areaNumber = static_cast<int>(*area);
        }
    }
    const auto program = RegistryKeyReader::OpenCurrentUser(kTunerProgramKey);
    if (program && !program->ValueType("Dir")) {
        // The key is there, the value is not: no tuner directory (an empty one would be the
        // drive's root).
        return settings;
    }
    const std::optional<std::wstring> dir = program ? program->ReadExpandedString("Dir") : std::nullopt;
    if (!dir) {
        // No key: the tuner is a 32-bit program, so on 64-bit Windows, and on a system installed on
        // another drive, it does not lie under C:\Program Files. A "Dir" of another type cannot be
        // read as a directory: the defaults stay too.
        settings.tunerDirs = DefaultTunerDirs(ProgramFilesX86Folder());
    } else if (std::optional<std::string> usable = ExactSjisFromWide(*dir)) {
        settings.tunerDirs = {std::move(*usable)};
    } else {
        // A name that code page 932 cannot hold is told in the log and not used: a look-alike
        // name would be another directory.
        settings.unusableDir = SjisFromWide(*dir);
    }
    return settings;
}

} // namespace quellix
