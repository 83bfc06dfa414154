// The channel-file import step, run at every start: the deck name from the first argument, the
// tuner's area number and directory from the registry, the first channel file that opens, and the
// directory where it was found shown in the channel-file directory field.
#include "app/run_controller.h"

#include "channels/channel_import.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/registry_win.h"
#include "support/system_folders_win.h"
#include "support/text.h"
#include "support/text_file.h"

namespace quellix {

namespace {

constexpr const char* kTunerAppCfgKey = "Software\\BUFFALO INC.\\PCastTVDigital\\AppCfg";
constexpr const char* kTunerProgramKey = "Software\\BUFFALO INC.\\PCastTVDigital\\PCastDigi";

struct TunerSettings {
    int areaNumber = 0;
    std::vector<std::string> tunerDirs;
    std::optional<std::string> unusableDir; // a "Dir" whose name code page 932 cannot hold, as it can show it
};

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
    if (!program) {
        // The tuner is a 32-bit program: on 64-bit Windows, and on a system installed on another
        // drive, it does not lie under C:\Program Files.
        settings.tunerDirs = DefaultTunerDirs(ProgramFilesX86Folder());
    } else if (!program->ValueType("Dir")) {
        // The key is there, the value is not: no tuner directory (an empty one would be the
        // drive's root).
    } else if (const std::optional<std::wstring> dir = program->ReadExpandedString("Dir")) {
        // A name that code page 932 cannot hold is told in the log and not used: a look-alike
        // name would be another directory.
        if (std::optional<std::string> usable = ExactSjisFromWide(*dir)) {
            settings.tunerDirs = {std::move(*usable)};
        } else {
            settings.unusableDir = SjisFromWide(*dir);
        }
    } else {
        // A "Dir" of another type cannot be read as a directory: the defaults stay.
        settings.tunerDirs = DefaultTunerDirs(ProgramFilesX86Folder());
    }
    return settings;
}

} // namespace

// An error here (a table file that cannot be read or written, a read error in the channel file)
// goes on once the tables are closed; the first activation reports it and goes on.
void TRunController::ImportChannelFile() {
    // What the tables do to recover their files is told as plain log lines. The import opens
    // them first in every mode, so they are told here, before their first Open.
    const ChannelTables& tables = parts_.Tables;
    for (TCsvTable* table : {&tables.TableTV, &tables.TableTVChNo, &tables.TableTVChData}) {
        table->SetNotice([this](const std::string& text) { parts_.LogFile1.WriteLog(text, false); });
    }
    const std::string deckName = DeckName();
    const TunerSettings tuner = ReadTunerSettings();
    if (tuner.unusableDir) {
        parts_.LogFile1.WriteLog(UnusableDirectoryText(*tuner.unusableDir), true);
    }
    // The field holds what pex.ini kept, in code page 932; a text that does not survive it came
    // from elsewhere and names no directory that can be used.
    const std::wstring settingText = view_.ChannelDirText();
    std::optional<std::string> settingDir = ExactSjisFromWide(settingText);
    if (!settingDir) {
        parts_.LogFile1.WriteLog(UnusableDirectoryText(SjisFromWide(settingText)), true);
    }
    // An unusable setting is passed over as an empty one is.
    const std::vector<std::string> candidates =
        ChannelFileCandidates(settingDir.value_or(std::string{}), tuner.tunerDirs,
                              SharedChannelsDir(CommonAppDataFolder()), tuner.areaNumber);
    std::optional<TTextFile> channelFile = OpenFirstChannelFile(candidates);

    std::optional<DecodedFileLineSource> lines;
    if (channelFile) {
        lines.emplace(channelFile->Handle);
    }
    RunChannelImport(deckName, lines ? &*lines : nullptr, tables, parts_.Run, [&] {
        // The directory part keeps its trailing backslash (a 0x5C trail byte is no
        // delimiter).
        view_.SetChannelDirText(WideFromSjis(ExtractFilePath(channelFile->Name)));
    });
}

} // namespace quellix
