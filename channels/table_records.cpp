#include "channels/table_records.h"

#include "support/errors.h"

#include <functional>

namespace quellix {

void TableRecords::Set(std::size_t record, std::size_t field, std::optional<std::string_view> value) {
    Cell& cell = cells_.at(record * fieldCount_ + field);
    if (!value) {
        cell = Cell{};
        return;
    }
    // The pointer specialization: a total order over any pointers, which the built-in <= does not promise.
    const std::less_equal<const char*> notAfter; // NOLINT(modernize-use-transparent-functors)
    if (notAfter(pool_.data(), value->data()) && std::less<const char*>{}(value->data(), pool_.data() + pool_.size())) {
        const std::string copy{*value}; // the pool may move while it grows
        Set(record, field, std::string_view{copy});
        return;
    }
    if (pool_.size() + value->size() >= kNull) {
        ThrowTooLarge();
    }
    // A replaced value's bytes stay behind in the pool until the records are cleared: tables are
    // edited a few rows at a time and forgotten on every close.
    cell.offset = static_cast<std::uint32_t>(pool_.size());
    cell.length = static_cast<std::uint32_t>(value->size());
    pool_.append(*value);
}

void TableRecords::ThrowTooLarge() {
    throw QuellixError{"テーブルが大きすぎます"};
}

void TableRecords::Clear() {
    recordCount_ = 0;
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
