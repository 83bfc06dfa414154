#include "channels/channel_import.h"

#include "support/text.h"

#include <exception>

namespace quellix {

std::vector<std::string> ChannelFileCandidates(std::string_view settingDir, std::string_view tunerDir, int areaNumber) {
    const std::string fileName = ChannelFileName(areaNumber);
    return {
        IncludeTrailingBackslash(settingDir) + fileName,
        IncludeTrailingBackslash(tunerDir) + "channels\\" + fileName,
        R"(C:\ProgramData\BUFFALO INC\PCastDigi\channels\)" + fileName,
    };
}

std::optional<TTextFile> OpenFirstChannelFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        // Opening is the only test: a file that exists but cannot be read counts as missing.
        TTextFile file{candidate, {}};
        if (OpenForReadRetry(file, 0)) {
            return file;
        }
    }
    return std::nullopt;
}

std::string BytesLineSource::ReadLine() {
    std::string line;
    while (position_ < bytes_.size() && bytes_[position_] != '\n') {
        if (bytes_[position_] != '\r') { // a CR before LF ends the line, a lone CR is dropped
            line += bytes_[position_];
        }
        ++position_;
    }
    if (position_ < bytes_.size()) {
        ++position_; // the LF
    }
    return line;
}

ChannelTablesSession::ChannelTablesSession(const ChannelTables& tables) : tables_{tables} {
    TCsvTable* const order[]{&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData};
    std::size_t opened = 0;
    try {
        for (TCsvTable* table : order) {
            table->Open();
            ++opened;
        }
    } catch (...) {
        // The tables opened so far are closed again, so none stays open with nobody to close it.
        for (std::size_t i = 0; i < opened; ++i) {
            try {
                order[i]->Close();
            } catch (...) {
                // The open failure is the one to report.
            }
        }
        throw;
    }
    open_ = true;
}

ChannelTablesSession::~ChannelTablesSession() {
    if (!open_) {
        return;
    }
    for (TCsvTable* table : {&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData}) {
        try {
            table->Close();
        } catch (...) {
            // Only reached while another error unwinds: that one goes on.
        }
    }
}

void ChannelTablesSession::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    std::exception_ptr firstError;
    for (TCsvTable* table : {&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData}) {
        try {
            table->Close();
        } catch (...) {
            if (!firstError) {
                firstError = std::current_exception();
            }
        }
    }
    if (firstError) {
        std::rethrow_exception(firstError);
    }
}

void ApplyChannelEntry(std::string_view deckName, const ChannelEntry& entry, const ChannelTables& tables) {
    std::string station = entry.TVChannel;
    // Renamed once: the new name is not looked up again.
    if (tables.TableTV.Locate("OldChannel", {std::string_view{station}})) {
        station = tables.TableTV.FieldByName("NewChannel").AsString();
    }
    TCsvTable& chNo = tables.TableTVChNo;
    TField& deckField = chNo.FieldByName("VideoDeckName");
    TField& stationField = chNo.FieldByName("TVChannel");
    // The row is looked for under the texts the fields would store: a station name longer than
    // the field is kept cut to its size, and looking for it uncut would append a new row on every
    // run (and the harvest, which takes the first row of a channel number, would keep the old one).
    const std::string_view storedDeck = StoredText(deckName, deckField.Size());
    const std::string_view storedStation = StoredText(station, stationField.Size());
    if (chNo.Locate("VideoDeckName;TVChannel", {storedDeck, storedStation})) {
        chNo.Edit();
        chNo.FieldByName("TVChannelNo").SetAsString(entry.TVChannelNo);
        chNo.Post();
    } else {
        chNo.Append();
        deckField.SetAsString(deckName);
        stationField.SetAsString(station);
        chNo.FieldByName("TVChannelNo").SetAsString(entry.TVChannelNo);
        chNo.Post();
    }
}

void ImportChannelLines(std::string_view deckName, ChannelLineSource& lines, const ChannelTables& tables,
                        const TRunControl& run) {
    ChannelBlockScanner scanner;
    while (!lines.Eof() && !run.FStopRequested && !deckName.empty()) {
        if (const auto entry = scanner.Feed(lines.ReadLine())) {
            ApplyChannelEntry(deckName, *entry, tables);
        }
    }
}

void RunChannelImport(std::string_view deckName, ChannelLineSource* channelFile, const ChannelTables& tables,
                      const TRunControl& run, const std::function<void()>& fileFound) {
    ChannelTablesSession session{tables};
    if (channelFile != nullptr) {
        if (fileFound) {
            fileFound();
        }
        ImportChannelLines(deckName, *channelFile, tables, run);
    }
    session.Close();
}

} // namespace quellix
