// The channel-file import step, run at every start: the deck name from the first argument, the
// tuner's area number and directory from the registry, the first channel file that opens, and the
// directory where it was found shown in the channel-file directory field.
#include "app/run_controller.h"

#include "channels/channel_import.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "app/tuner_settings_win.h"
#include "support/system_folders_win.h"
#include "support/text.h"
#include "support/text_file.h"

namespace quellix {

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
