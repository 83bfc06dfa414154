// Helpers of the channel-table tests: a scratch folder, whole-file reads and writes, and the rows
// of a table as plain values.
#pragma once

#include "channels/csv_table_format.h"
#include "channels/table_records.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-table-XXXXXX").string();
        native_ = ::mkdtemp(pattern.data());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(native_, ignored);
    }
    // A file in the folder as the program writes paths (backslashes).
    [[nodiscard]] std::string File(const std::string& name) const {
        std::string path = native_ + "/" + name;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
    }
    [[nodiscard]] std::string Native(const std::string& name) const { return native_ + "/" + name; }
    [[nodiscard]] bool Exists(const std::string& name) const { return std::filesystem::exists(Native(name)); }
    [[nodiscard]] std::string Read(const std::string& name) const {
        std::ifstream in{Native(name), std::ios::binary};
        return {std::istreambuf_iterator<char>{in}, std::istreambuf_iterator<char>{}};
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out{Native(name), std::ios::binary | std::ios::trunc};
        out << bytes;
    }
    [[nodiscard]] std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator{native_}) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string native_;
};

} // namespace quellix::table_test
