// The table loader on arbitrary bytes: no crash, no undefined behaviour, and what it loads is
// saved and loaded again unchanged (load -> save -> load is a fixed point). The first byte picks
// the table whose fields bind the columns.
#include "channels/channel_tables.h"
#include "channels/csv_table_format.h"
#include "support/text_encoding.h"

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

    // The decoding under the loader: Shift_JIS passes unchanged, and UTF-16 survives a trip
    // through UTF-8 (as pex.ini is edited).
    const SjisText text = SjisFromFileBytes(bytes);
    const std::string_view even = bytes.substr(0, bytes.size() & ~std::size_t{1});
    if ((text.encoding == TextEncoding::ShiftJis && text.text != bytes) ||
        Utf16FromUtf8(Utf8FromUtf16(even, data[0] & 1), data[0] & 1) != even) {
        std::abort();
    }

    const TableRecords loaded = ParseTableText(bytes, fields);
    const std::string saved = FormatTableText(fields, loaded);
    // The values are Shift_JIS; bytes that read as the likely UTF-8 make another table.
    if (DetectTextEncoding(saved) != TextEncoding::ShiftJis) {
        return 0;
    }
    const TableRecords reloaded = ParseTableText(saved, fields);
    if (!(reloaded == loaded) || FormatTableText(fields, reloaded) != saved || !IsCompleteTableText(saved, fields)) {
        std::abort();
    }
    return 0;
}
