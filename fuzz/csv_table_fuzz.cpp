// The table loader on arbitrary bytes: no crash, no undefined behaviour, and what it loads is
// saved and loaded again unchanged (load -> save -> load is a fixed point). The first byte picks
// the table whose fields bind the columns.
#include "channels/channel_tables.h"
#include "channels/csv_table_format.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quellix;
    static const TCsvTable tv = CreateTableTV();
    static const TCsvTable chNo = CreateTableTVChNo();
    static const TCsvTable chData = CreateTableTVChData();
    if (size == 0) {
        return 0;
    }
    const TCsvTable* tables[] = {&tv, &chNo, &chData};
    const auto fields = tables[data[0] % 3]->FieldDefs();
    const std::string_view bytes{reinterpret_cast<const char*>(data + 1), size - 1};

    const TableRecords loaded = ParseTableText(bytes, fields);
    const std::string saved = FormatTableText(fields, loaded);
    const TableRecords reloaded = ParseTableText(saved, fields);
    if (!(reloaded == loaded) || FormatTableText(fields, reloaded) != saved || !IsCompleteTableText(saved, fields)) {
        std::abort();
    }
    return 0;
}
