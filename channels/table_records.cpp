#include "channels/table_records.h"

namespace quellix {

std::size_t TableRecords::AddRecord() {
    cells_.resize(cells_.size() + fieldCount_);
    return RecordCount() - 1;
}

std::optional<std::string_view> TableRecords::Get(std::size_t record, std::size_t field) const {
    const Cell& cell = cells_.at(record * fieldCount_ + field);
    if (cell.length == kNull) {
        return std::nullopt;
    }
    return std::string_view{pool_}.substr(cell.offset, cell.length);
}

void TableRecords::Set(std::size_t record, std::size_t field, std::optional<std::string_view> value) {
    Cell& cell = cells_.at(record * fieldCount_ + field);
    if (!value) {
        cell = Cell{};
        return;
    }
    // A replaced value's bytes stay behind in the pool until the records are cleared: tables are
    // edited a few rows at a time and forgotten on every close.
    if (!pool_.empty() && value->data() >= pool_.data() && value->data() < pool_.data() + pool_.size()) {
        const std::string copy{*value}; // the pool may move while it grows
        Set(record, field, std::string_view{copy});
        return;
    }
    cell.offset = pool_.size();
    cell.length = value->size();
    pool_.append(*value);
}

void TableRecords::Reserve(std::size_t records, std::size_t bytes) {
    cells_.reserve(records * fieldCount_);
    pool_.reserve(bytes);
}

void TableRecords::Clear() {
    cells_.clear();
    cells_.shrink_to_fit();
    pool_.clear();
    pool_.shrink_to_fit();
}

bool operator==(const TableRecords& a, const TableRecords& b) {
    if (a.fieldCount_ != b.fieldCount_ || a.RecordCount() != b.RecordCount()) {
        return false;
    }
    for (std::size_t r = 0; r < a.RecordCount(); ++r) {
        for (std::size_t f = 0; f < a.fieldCount_; ++f) {
            if (a.Get(r, f) != b.Get(r, f)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace quellix
