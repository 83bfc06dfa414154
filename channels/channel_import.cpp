#include "channels/channel_import.h"

#include "channels/locale_compare.h"
#include "support/errors.h"
#include "support/text.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <utility>

namespace quellix {

std::vector<std::string> DefaultTunerDirs(const std::optional<std::string>& programFilesX86) {
    constexpr std::string_view kTunerFolder = "BUFFALO\\PCastDigi";
    const std::string programFiles = std::string{"C:\\Program Files\\"} + std::string{kTunerFolder};
    if (!programFilesX86 || programFilesX86->empty()) {
        return {programFiles};
    }
    std::string installed = IncludeTrailingBackslash(*programFilesX86) + std::string{kTunerFolder};
    if (AsciiLower(installed) == AsciiLower(programFiles)) {
        return {installed};
    }
    return {std::move(installed), programFiles};
}

std::string SharedChannelsDir(const std::optional<std::string>& commonAppData) {
    const std::string base = commonAppData && !commonAppData->empty() ? *commonAppData : "C:\\ProgramData";
    return IncludeTrailingBackslash(base) + R"(BUFFALO INC\PCastDigi\channels\)";
}

std::vector<std::string> ChannelFileCandidates(std::string_view settingDir, const std::vector<std::string>& tunerDirs,
                                               std::string_view sharedChannelsDir, int areaNumber) {
    const std::string fileName = ChannelFileName(areaNumber);
    std::vector<std::string> candidates;
    // An empty setting is no setting: it would name "\NN_ChFile.txt" or "\channels\NN_ChFile.txt"
    // at the drive's root, where any local user may put a file.
    if (!Trim(settingDir).empty()) {
        candidates.push_back(IncludeTrailingBackslash(settingDir) + fileName);
    }
    for (const std::string& tunerDir : tunerDirs) {
        if (!Trim(tunerDir).empty()) {
            candidates.push_back(IncludeTrailingBackslash(tunerDir) + "channels\\" + fileName);
        }
    }
    candidates.push_back(IncludeTrailingBackslash(sharedChannelsDir) + fileName);
    return candidates;
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

void DecodedFileLineSource::Load() {
    std::string bytes;
    std::array<char, 65536> block{};
    for (;;) {
        const long long got = file_.Read(block.data(), block.size());
        if (got < 0) {
            ThrowLastIoError("read");
        }
        if (got == 0) {
            break;
        }
        bytes.append(block.data(), static_cast<std::size_t>(got));
    }
    text_ = SjisFromFileBytes(bytes, kMark);
    lines_.emplace(text_->text);
}

bool DecodedFileLineSource::Eof() {
    if (!lines_) {
        Load();
    }
    return lines_->Eof();
}

char DecodedFileLineSource::LostCharacterMark() {
    return !Eof() && text_->encoding != TextEncoding::ShiftJis ? kMark : 0;
}

std::string DecodedFileLineSource::ReadLine() {
    return Eof() ? std::string{} : lines_->ReadLine();
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

std::string RenamedStation(const ChannelEntry& entry, TCsvTable& tableTV) {
    // Renamed once: the new name is not looked up again.
    if (tableTV.Locate("OldChannel", {std::string_view{entry.TVChannel}})) {
        std::string renamed = tableTV.FieldByName("NewChannel").AsString();
        if (!Trim(renamed).empty()) {
            return renamed;
        }
        // A blank cell names no station: the station keeps its name, and its reservations their
        // channel.
        tableTV.Tell("テーブルファイル[" + tableTV.FilePath() + "]の元のTV局名\"" +
                     tableTV.FieldByName("OldChannel").AsString() + "\"の行は新しいTV局名が空のため使いません");
    }
    return entry.TVChannel;
}

std::string_view StoredStationName(std::string_view station, std::size_t size) {
    return SjisHead(StoredText(station, station.size()), size);
}

namespace {

// True when the last character of `text` lacks its trail byte.
bool EndsInsideACharacter(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        at += IsSjisLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    }
    return at > text.size();
}

// Earlier versions stored a long name cut to the field's size in bytes, which can end in the lead
// byte of a character: such a row of this deck whose name, without that byte, is the stored name
// of a station being imported (and which is no station's stored name itself) is given that name, so that it counts as
// the station's row instead of staying before it (the harvest takes the first row of a channel number).
void RepairCutNames(TCsvTable& chNo, std::string_view storedDeck,
                    const std::function<bool(std::string_view)>& isStoredName) {
    TField& stationField = chNo.FieldByName("TVChannel");
    const std::size_t size = stationField.Size();
    const std::size_t deckColumn = chNo.FieldIndex("VideoDeckName");
    const std::size_t stationColumn = chNo.FieldIndex("TVChannel");
    std::vector<std::string> cutNames;
    const TableRecords& records = chNo.Records();
    for (std::size_t r = 0; r < records.RecordCount(); ++r) {
        const std::string_view name = records.Get(r, stationColumn).value_or(std::string_view{});
        if (records.Get(r, deckColumn).value_or(std::string_view{}) == storedDeck && name.size() == size &&
            EndsInsideACharacter(name) && isStoredName(name.substr(0, size - 1)) && !isStoredName(name)) {
            cutNames.emplace_back(name);
        }
    }
    // One row per occurrence. The located row must hold these very bytes: the collation may call
    // two cut names, or a cut name and its repaired form, equal. Passes repeat while they repair.
    std::vector<bool> repaired(cutNames.size());
    for (bool progress = true; progress;) {
        progress = false;
        for (std::size_t i = 0; i < cutNames.size(); ++i) {
            const std::string_view name = cutNames[i];
            if (repaired[i] || !chNo.Locate("VideoDeckName;TVChannel", {storedDeck, name}) ||
                stationField.AsString() != name) {
                continue;
            }
            chNo.Edit();
            stationField.SetAsString(name.substr(0, size - 1));
            chNo.Post();
            repaired[i] = true;
            progress = true;
        }
    }
}

// After an area change the old area's stations keep their rows, and one of them may come before
// the current station of the same channel number. Such a row, of this deck, taken by no station of
// the file and named by none, gives the number up. Numbers are compared as the harvest compares
// them.
void ReleaseStaleNumbers(TCsvTable& chNo, std::string_view storedDeck, const std::vector<std::size_t>& stationRows,
                         const std::vector<std::string_view>& numbers,
                         const std::function<bool(std::string_view)>& isStoredName) {
    const std::size_t deckColumn = chNo.FieldIndex("VideoDeckName");
    const std::size_t stationColumn = chNo.FieldIndex("TVChannel");
    const std::size_t numberColumn = chNo.FieldIndex("TVChannelNo");
    std::vector<bool> taken(chNo.RecordCount());
    for (const std::size_t row : stationRows) {
        taken[row] = true;
    }
    for (std::size_t row = 0; row < chNo.RecordCount(); ++row) {
        const TableRecords& records = chNo.Records();
        const std::optional<std::string_view> number = records.Get(row, numberColumn);
        if (taken[row] || !number || number->empty() ||
            !LocaleTextEquals(records.Get(row, deckColumn).value_or(std::string_view{}), storedDeck) ||
            isStoredName(records.Get(row, stationColumn).value_or(std::string_view{})) ||
            std::none_of(numbers.begin(), numbers.end(),
                         [&](std::string_view given) { return LocaleTextEquals(*number, given); })) {
            continue;
        }
        chNo.GoToRecord(row);
        chNo.Edit();
        chNo.FieldByName("TVChannelNo").Clear();
        chNo.Post();
    }
}

} // namespace

void ApplyChannelEntries(std::string_view deckName, const std::vector<ChannelEntry>& entries,
                         const ChannelTables& tables, bool wholeFile) {
    TCsvTable& chNo = tables.TableTVChNo;
    TField& deckField = chNo.FieldByName("VideoDeckName");
    TField& stationField = chNo.FieldByName("TVChannel");
    TField& numberField = chNo.FieldByName("TVChannelNo");

    std::vector<std::string> stations;
    stations.reserve(entries.size());
    for (const ChannelEntry& entry : entries) {
        stations.push_back(RenamedStation(entry, tables.TableTV));
    }
    // A station listed more than once counts with its last channel number.
    std::map<std::string_view, std::size_t, std::less<>> lastEntry;
    // Every stored name, with the first station seen under it and whether another one shares it.
    std::map<std::string_view, std::pair<std::string_view, bool>, std::less<>> names;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        lastEntry[stations[i]] = i;
        const auto [at, added] =
            names.try_emplace(StoredStationName(stations[i], stationField.Size()), stations[i], false);
        at->second.second = at->second.second || (!added && at->second.first != stations[i]);
    }

    // Rows are looked for under the texts the fields store: looking for a long name uncut would
    // append a new row on every run.
    const std::string_view storedDeck = StoredText(deckName, deckField.Size());
    RepairCutNames(chNo, storedDeck, [&names](std::string_view name) { return names.contains(name); });
    std::vector<std::size_t> stationRows;
    std::vector<std::string_view> numbers; // the channel numbers given, as stored
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view stored = StoredStationName(stations[i], stationField.Size());
        const std::string& number = entries[lastEntry.find(stations[i])->second].TVChannelNo;
        const bool shared = names.find(stored)->second.second;
        const bool found = shared ? chNo.Locate("VideoDeckName;TVChannel;TVChannelNo",
                                                {storedDeck, stored, StoredText(number, numberField.Size())})
                                  : chNo.Locate("VideoDeckName;TVChannel", {storedDeck, stored});
        if (found) {
            chNo.Edit();
            numberField.SetAsString(number);
        } else {
            chNo.Append();
            deckField.SetAsString(deckName);
            stationField.SetAsString(stored);
            numberField.SetAsString(number);
        }
        chNo.Post();
        stationRows.push_back(chNo.RecordIndex());
        numbers.push_back(StoredText(number, numberField.Size()));
    }
    if (wholeFile && !storedDeck.empty()) {
        ReleaseStaleNumbers(chNo, storedDeck, stationRows, numbers,
                            [&names](std::string_view name) { return names.contains(name); });
    }
}

void ImportChannelLines(std::string_view deckName, ChannelLineSource& lines, const ChannelTables& tables,
                        const TRunControl& run) {
    // Whether a station's stored name is shared is known only once the whole file is read.
    ChannelBlockScanner scanner;
    std::vector<ChannelEntry> entries;
    try {
        const char mark = lines.LostCharacterMark();
        while (!lines.Eof() && !run.FStopRequested && !deckName.empty()) {
            auto entry = scanner.Feed(lines.ReadLine());
            if (entry && mark != 0 && entry->TVChannel.find(mark) != std::string::npos) {
                std::string shown = entry->TVChannel;
                std::replace(shown.begin(), shown.end(), mark, '?');
                tables.TableTVChNo.Tell("局名\"" + shown + "\"(チャンネル" + entry->TVChannelNo +
                                        ")はシフトJISで表せない文字を含むため取り込みません");
                continue;
            }
            if (entry) {
                entries.push_back(std::move(*entry));
            }
        }
    } catch (...) {
        ApplyChannelEntries(deckName, entries, tables, false); // the lines read before the error count
        throw;
    }
    ApplyChannelEntries(deckName, entries, tables, lines.Eof());
}

void RunChannelImport(std::string_view deckName, ChannelLineSource* channelFile, const ChannelTables& tables,
                      const TRunControl& run, const std::function<void()>& fileFound) {
    TableSession session{tables};
    if (channelFile != nullptr) {
        if (fileFound) {
            fileFound();
        }
        ImportChannelLines(deckName, *channelFile, tables, run);
    }
    session.Close();
}

} // namespace quellix
