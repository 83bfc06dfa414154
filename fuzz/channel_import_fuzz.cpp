// The channel-file parser and the table update on arbitrary bytes: no crash, no undefined
// behaviour; every row of the deck carries the deck name, every station of the file has a row of its
// own with its last channel number (no two stations share one, even when their names agree in the
// stored bytes), and a second import of the same file changes nothing (no growth). Input: one byte for the deck name's
// length, the deck name, then rename pairs ("old=new" lines) up to a line "--", then the channel file.
#include "channels/channel_import.h"
#include "channels/channel_tables.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace quellix;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void FillRenames(TCsvTable& tableTV, std::string_view renames) {
    ForEachLine(renames, [&](std::string_view line) {
        const std::size_t equals = line.find('=');
        tableTV.Append();
        tableTV.FieldByName("OldChannel").SetAsString(line.substr(0, equals));
        tableTV.FieldByName("NewChannel")
            .SetAsString(equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1));
        tableTV.Post();
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string_view input{reinterpret_cast<const char*>(data + 1), size - 1};
    const std::size_t deckLength = std::min<std::size_t>(data[0] % 16, input.size());
    const std::string_view deck = input.substr(0, deckLength);
    input.remove_prefix(deckLength);
    const std::size_t split = input.find("\n--\n");
    const std::string_view renames = split == std::string_view::npos ? std::string_view{} : input.substr(0, split);
    const std::string_view channelFile = split == std::string_view::npos ? input : input.substr(split + 4);

    // Tables without files: Open gives empty tables, Close writes nothing.
    TCsvTable tableTV = CreateTableTV();
    TCsvTable tableTVChNo = CreateTableTVChNo();
    TCsvTable tableTVChData = CreateTableTVChData();
    const ChannelTables tables{tableTV, tableTVChNo, tableTVChData};
    tableTV.Open();
    FillRenames(tableTV, renames);
    tableTVChNo.Open();
    tableTVChData.Open();

    BytesLineSource lines{channelFile};
    ImportChannelLines(deck, lines, tables, TRunControl{});
    const TableRecords first = tableTVChNo.Records();
    std::set<std::tuple<std::string, std::string, std::string>> rows;
    for (std::size_t r = 0; r < first.RecordCount(); ++r) {
        Check(first.Get(r, 0) == StoredText(deck, 256));
        Check(rows.emplace(std::string{first.Get(r, 0).value_or("")}, std::string{first.Get(r, 1).value_or("")},
                           std::string{first.Get(r, 2).value_or("")})
                  .second);
    }
    std::vector<ChannelEntry> entries;
    BytesLineSource entryLines{channelFile};
    for (ChannelBlockScanner scanner; !entryLines.Eof();) {
        if (auto entry = scanner.Feed(entryLines.ReadLine())) {
            entries.push_back(std::move(*entry));
        }
    }
    Check(first.RecordCount() <= entries.size());
    Check(!deck.empty() || first.RecordCount() == 0);
    if (!deck.empty()) {
        std::map<std::string, std::string> lastNumber; // station -> its last channel number
        for (const ChannelEntry& entry : entries) {
            lastNumber[RenamedStation(entry, tableTV)] = entry.TVChannelNo;
        }
        for (const auto& [station, number] : lastNumber) {
            Check(rows.contains({std::string{StoredText(deck, 256)}, std::string{StoredStationName(station, 30)},
                                 std::string{StoredText(number, 256)}}));
        }
    }

    BytesLineSource again{channelFile};
    ImportChannelLines(deck, again, tables, TRunControl{});
    Check(tableTVChNo.Records() == first);

    // The whole import with the tables closed before and after.
    tableTV.Close();
    tableTVChNo.Close();
    tableTVChData.Close();
    BytesLineSource whole{channelFile};
    RunChannelImport(deck, &whole, tables, TRunControl{});
    Check(!tableTV.Active() && !tableTVChNo.Active() && !tableTVChData.Active());
    return 0;
}
