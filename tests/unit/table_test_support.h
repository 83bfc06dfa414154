// Helpers of the channel-table tests: the rows of a table as plain values.
#pragma once

#include "channels/csv_table_format.h"
#include "channels/table_records.h"

#include <optional>
#include <string>
#include <vector>

namespace quellix::table_test {

using Row = std::vector<std::optional<std::string>>;
using Rows = std::vector<Row>;

inline Rows RowsOf(const TableRecords& records) {
    Rows rows;
    for (std::size_t r = 0; r < records.RecordCount(); ++r) {
        Row row;
        for (std::size_t f = 0; f < records.FieldCount(); ++f) {
            const auto value = records.Get(r, f);
            row.push_back(value ? std::optional<std::string>{std::string{*value}} : std::nullopt);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

inline TableRecords RecordsOf(const Rows& rows, std::size_t fieldCount) {
    TableRecords records{fieldCount};
    for (const Row& row : rows) {
        const std::size_t r = records.AddRecord();
        for (std::size_t f = 0; f < row.size(); ++f) {
            if (row[f]) {
                records.Set(r, f, std::string_view{*row[f]});
            }
        }
    }
    return records;
}

} // namespace quellix::table_test
