// The table's half of the check against an independent CSV reader (tests/native_py): run with
// QUELLIX_TABLE_INTEROP_DIR set, it writes the rows of values.txt through TableTVChNo to
// pexTVCHNo.csv and loads handmade.csv and the spreadsheet files (spreadsheet.csv in Shift_JIS,
// spreadsheet-ENCODING.csv in the others) into NAME.loaded.txt. A row is one line of fields
// separated by blanks: "-" for null, "=" followed by the value's bytes in hex otherwise.
#include "channels/channel_tables.h"
#include "table_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quellix {
namespace {

using table_test::Row;
using table_test::Rows;
using table_test::RowsOf;

std::string ProgramPath(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

Rows ReadRows(const std::string& nativePath) {
    Rows rows;
    std::ifstream in{nativePath, std::ios::binary};
    for (std::string line; std::getline(in, line);) {
        Row row;
        std::istringstream fields{line};
        for (std::string field; fields >> field;) {
            if (field == "-") {
                row.emplace_back(std::nullopt);
                continue;
            }
            std::string value;
            for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
                value.push_back(static_cast<char>(std::stoi(field.substr(i, 2), nullptr, 16)));
            }
            row.emplace_back(value);
        }
        rows.push_back(row);
    }
    return rows;
}

void WriteRows(const std::string& nativePath, const Rows& rows) {
    std::ofstream out{nativePath, std::ios::binary | std::ios::trunc};
    for (const Row& row : rows) {
        for (std::size_t f = 0; f < row.size(); ++f) {
            out << (f > 0 ? " " : "");
            if (!row[f]) {
                out << "-";
                continue;
            }
            out << "=";
            for (const char c : *row[f]) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
                out << hex;
            }
        }
        out << "\n";
    }
}

TEST(CsvTableInterop, WritesAndLoadsFilesForAnIndependentReader) {
    const char* dir = std::getenv("QUELLIX_TABLE_INTEROP_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "run by tests/native_py/test_csv_table_interop.py";
    }
    const std::string base = dir;

    TCsvTable written = CreateTableTVChNo(ProgramPath(base + "/pexTVCHNo.csv"));
    written.Open();
    for (const Row& row : ReadRows(base + "/values.txt")) {
        written.Append();
        const char* names[] = {"VideoDeckName", "TVChannel", "TVChannelNo"};
        for (std::size_t f = 0; f < row.size() && f < 3; ++f) {
            if (row[f]) {
                written.FieldByName(names[f]).SetAsString(*row[f]);
            }
        }
        written.Post();
    }
    written.Close();

    for (const char* name :
         {"handmade", "spreadsheet", "spreadsheet-utf-8", "spreadsheet-utf-8-sig", "spreadsheet-utf-16"}) {
        TCsvTable loaded = CreateTableTVChNo(ProgramPath(base + "/" + name + ".csv"));
        loaded.Open();
        WriteRows(base + "/" + name + ".loaded.txt", RowsOf(loaded.Records()));
        loaded.Close(); // unchanged: the file stays as it was written
    }
}

} // namespace
} // namespace quellix
