// Any bytes as one CSV line: no crash, no undefined behaviour, at least one field, and no field
// longer than the line.
#include "app/csv_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line{reinterpret_cast<const char*>(data), size};
    std::vector<std::string> fields{"stale"};
    quellix::SplitCsvLine(line, fields);
    if (fields.empty()) {
        std::abort();
    }
    for (const auto& field : fields) {
        if (field.size() > line.size()) {
            std::abort();
        }
    }
    return 0;
}
