// The records of a channel table: an ordered list of rows, each with one value per field, a value
// being either null or a byte string. The bytes live in one growing pool so that loading a large
// file costs no allocation per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {

class TableRecords {
public:
    explicit TableRecords(std::size_t fieldCount) : fieldCount_{fieldCount} {}

    [[nodiscard]] std::size_t FieldCount() const noexcept { return fieldCount_; }
    [[nodiscard]] std::size_t RecordCount() const noexcept { return recordCount_; }
    [[nodiscard]] bool Empty() const noexcept { return RecordCount() == 0; }
    // Bytes held for the values (at least the sum of their lengths).
    [[nodiscard]] std::size_t StoredBytes() const noexcept { return pool_.size(); }

    // Adds a record with every field null at the end and returns its index.
    std::size_t AddRecord() {
        for (std::size_t f = 0; f < fieldCount_; ++f) {
            cells_.emplace_back();
        }
        return recordCount_++;
    }
    // nullopt for a null value. The view is valid until the next change of the records.
    [[nodiscard]] std::optional<std::string_view> Get(std::size_t record, std::size_t field) const {
        const Cell& cell = cells_.at(record * fieldCount_ + field);
        if (cell.length == kNull) {
            return std::nullopt;
        }
        return std::string_view{pool_.data() + cell.offset, cell.length};
    }
    // Raises QuellixError when the values would outgrow what one table can hold (4 GiB).
    void Set(std::size_t record, std::size_t field, std::optional<std::string_view> value);
    // For a loader that keeps the file's bytes in the pool and its values where they stand.
    void AppendToPool(std::string_view bytes) {
        if (pool_.size() + bytes.size() >= kNull) {
            ThrowTooLarge();
        }
        pool_.append(bytes);
    }
    [[nodiscard]] std::string_view Pool() const noexcept { return pool_; }
    [[nodiscard]] char* PoolData() noexcept { return pool_.data(); }
    // The value of (record, field) is the pool's bytes [offset, offset + length).
    void SetSpan(std::size_t record, std::size_t field, std::size_t offset, std::size_t length) {
        Cell& cell = cells_.at(record * fieldCount_ + field);
        cell.offset = static_cast<std::uint32_t>(offset);
        cell.length = static_cast<std::uint32_t>(length);
    }
    // Room for about `records` records and `bytes` bytes of values, so that loading a file of
    // known size copies nothing while the records grow.
    void Reserve(std::size_t records, std::size_t bytes) {
        cells_.reserve(records * fieldCount_);
        pool_.reserve(bytes);
    }
    void Clear();

    friend bool operator==(const TableRecords& a, const TableRecords& b);

private:
    [[noreturn]] static void ThrowTooLarge();

    static constexpr std::uint32_t kNull = 0xFFFFFFFFU;
    // Offsets and lengths in 32 bits keep a record of three fields in 24 bytes.
    struct Cell {
        std::uint32_t offset{};
        std::uint32_t length{kNull};
    };

    std::size_t fieldCount_;
    std::size_t recordCount_{};
    std::vector<Cell> cells_;
    std::string pool_;
};

} // namespace quellix
