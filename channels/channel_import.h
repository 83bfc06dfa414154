// The import of the tuner's channel file into the channel-number table: the candidate files and
// the line loop that renames stations and updates the rows of one deck.
#pragma once

#include "channels/channel_file.h"
#include "channels/csv_table.h"
#include "channels/table_session.h"
#include "support/line_reader.h"
#include "support/run_control.h"
#include "support/text_encoding.h"
#include "support/text_file.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

// The tuner's directory when its registry key is missing: where a 32-bit program is installed,
// under the system's folder for 32-bit programs (nullopt when the system did not give it), then
// under C:\Program Files as ever; the second is left out when it is the first.
[[nodiscard]] std::vector<std::string> DefaultTunerDirs(const std::optional<std::string>& programFilesX86);

// The tuner's shared "channels" folder, with a trailing backslash, under the common application
// data folder (C:\ProgramData when the system did not give it).
[[nodiscard]] std::string SharedChannelsDir(const std::optional<std::string>& commonAppData);

// Where the channel file is looked for, in this order: the user's channel-file directory, the
// "channels" folder of each tuner directory, the tuner's shared "channels" folder. A directory that
// is empty (or blank) is left out, as if not set. A backslash is added to a directory only when it
// does not end in one (a 0x5C trail byte is no backslash).
[[nodiscard]] std::vector<std::string> ChannelFileCandidates(std::string_view settingDir,
                                                             const std::vector<std::string>& tunerDirs,
                                                             std::string_view sharedChannelsDir, int areaNumber);

// The first candidate that opens for reading (one attempt each, no wait; writers are denied while
// it is open, and a file someone holds open for writing does not open); nullopt when none does.
[[nodiscard]] std::optional<TTextFile> OpenFirstChannelFile(const std::vector<std::string>& candidates);

// The lines of a channel file, one at a time.
class ChannelLineSource {
public:
    ChannelLineSource() = default;
    ChannelLineSource(const ChannelLineSource&) = delete;
    ChannelLineSource& operator=(const ChannelLineSource&) = delete;
    virtual ~ChannelLineSource() = default;

    [[nodiscard]] virtual bool Eof() = 0;
    virtual std::string ReadLine() = 0;
    // The byte that stands in the lines for a character code page 932 cannot hold; 0 when the
    // lines are the file's own bytes.
    [[nodiscard]] virtual char LostCharacterMark() { return 0; }
};

// The lines of an open file; read errors raise IoError.
class FileLineSource final : public ChannelLineSource {
public:
    explicit FileLineSource(os::File& file) : reader_{file} {}
    [[nodiscard]] bool Eof() override { return reader_.Eof(); }
    std::string ReadLine() override { return reader_.ReadLine(); }

private:
    LineReader reader_;
};

// The lines of bytes already in memory.
class BytesLineSource final : public ChannelLineSource {
public:
    explicit BytesLineSource(std::string_view bytes) : bytes_{bytes} {}
    [[nodiscard]] bool Eof() override { return position_ >= bytes_.size(); }
    std::string ReadLine() override;

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// The lines of an open file saved in Shift_JIS, UTF-8 or UTF-16 (see DetectTextEncoding), in
// Shift_JIS; the whole file is read at the first call, and read errors raise IoError.
class DecodedFileLineSource final : public ChannelLineSource {
public:
    explicit DecodedFileLineSource(os::File& file) : file_{file} {}
    [[nodiscard]] bool Eof() override;
    std::string ReadLine() override;
    [[nodiscard]] char LostCharacterMark() override;

private:
    // DEL: no character of a station name, and never the second byte of a double-byte one.
    static constexpr char kMark = '\x7F';
    void Load();

    os::File& file_;
    std::optional<SjisText> text_;
    std::optional<BytesLineSource> lines_;
};

// The station name an entry stands for: its name renamed once through TableTV. A row whose new
// name is blank renames nothing, and is told to TableTV's notice.
[[nodiscard]] std::string RenamedStation(const ChannelEntry& entry, TCsvTable& tableTV);

// The station name as TableTVChNo keeps it: cut at a NUL byte, then to the longest prefix of whole
// characters that fits the field's `size` bytes (a lone lead byte would make different names
// collate alike).
[[nodiscard]] std::string_view StoredStationName(std::string_view station, std::size_t size);

// Brings the entries of one channel file into the tables, in file order. Each station (renamed
// once through TableTV; one listed twice counts with its last channel number) updates the row of
// (deckName, stored name) with its channel number, or appends one. When the stored name is shared
// by differently named stations of these entries (long names cut alike), only a row that also
// has the same channel number is that station's, so no two of them ever share a row.
// When the entries are the whole file (`wholeFile`), a row of the deck that holds a channel number
// given to a station of the file, for a station no longer in it (an area left behind), gives the
// number up: its number becomes null and the row stays. The harvest takes the first row of a
// channel number, which is then the current station's.
void ApplyChannelEntries(std::string_view deckName, const std::vector<ChannelEntry>& entries,
                         const ChannelTables& tables, bool wholeFile = true);

// The line loop over an open channel file with the tables open. Before each line it stops at the
// end of the file, on a stop request, or when the deck name is empty. The entries read are then
// applied (ApplyChannelEntries), also those read before a read error, which then goes on; only a
// file read to its end takes channel numbers from stations no longer in it. A station whose name
// code page 932 cannot hold is told to TableTVChNo's notice and not imported: a look-alike name
// would be another station. Pumps no messages.
void ImportChannelLines(std::string_view deckName, ChannelLineSource& lines, const ChannelTables& tables,
                        const TRunControl& run);

// The whole import once the candidates have been tried: opens the tables; when there is a
// channel file, calls `fileFound` and runs the line loop; closes the tables in every case (also
// when a line or a table change raises, keeping every row posted so far) and lets the error go
// on afterwards.
void RunChannelImport(std::string_view deckName, ChannelLineSource* channelFile, const ChannelTables& tables,
                      const TRunControl& run, const std::function<void()>& fileFound = {});

} // namespace quellix
