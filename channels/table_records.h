// The records of a channel table: an ordered list of rows, each with one value per field, a value
// being either null or a byte string. The bytes live in one growing pool so that loading a large
// file costs no allocation per value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

class TableRecords {
public:
    explicit TableRecords(std::size_t fieldCount) : fieldCount_{fieldCount} {}

    [[nodiscard]] std::size_t FieldCount() const noexcept { return fieldCount_; }
    [[nodiscard]] std::size_t RecordCount() const noexcept {
        return fieldCount_ == 0 ? 0 : cells_.size() / fieldCount_;
    }
    [[nodiscard]] bool Empty() const noexcept { return RecordCount() == 0; }
    // Bytes held for the values (at least the sum of their lengths).
    [[nodiscard]] std::size_t StoredBytes() const noexcept { return pool_.size(); }

    // Adds a record with every field null at the end and returns its index.
    std::size_t AddRecord();
    // nullopt for a null value. The view is valid until the next change of the records.
    [[nodiscard]] std::optional<std::string_view> Get(std::size_t record, std::size_t field) const;
    void Set(std::size_t record, std::size_t field, std::optional<std::string_view> value);
    void Reserve(std::size_t records, std::size_t bytes);
    void Clear();

    friend bool operator==(const TableRecords& a, const TableRecords& b);

private:
    static constexpr std::size_t kNull = static_cast<std::size_t>(-1);
    struct Cell {
        std::size_t offset{};
        std::size_t length{kNull};
    };

    std::size_t fieldCount_;
    std::vector<Cell> cells_;
    std::string pool_;
};

} // namespace quellix
