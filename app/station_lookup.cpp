#include "app/station_lookup.h"

#include "channels/locale_compare.h"

namespace quellix {

namespace {

std::string_view ValueOrEmpty(const TableRecords& records, std::size_t row, std::size_t field) {
    return records.Get(row, field).value_or(std::string_view{});
}

} // namespace

StationLookup::StationLookup(TCsvTable& table, std::string_view deckName)
    : records_{table.Records()}, channelNoField_{table.FieldIndex("TVChannelNo")}, stationField_{
                                                                                       table.FieldIndex("TVChannel")} {
    const std::size_t deckField = table.FieldIndex("VideoDeckName");
    for (std::size_t row = 0; row < records_.RecordCount(); ++row) {
        if (LocaleTextEquals(ValueOrEmpty(records_, row, deckField), deckName)) {
            deckRows_.push_back(row);
        }
    }
}

std::optional<std::string> StationLookup::Find(std::string_view channel) {
    auto known = rowOfChannel_.find(channel);
    if (known == rowOfChannel_.end()) {
        std::optional<std::size_t> found;
        for (const std::size_t row : deckRows_) {
            if (LocaleTextEquals(ValueOrEmpty(records_, row, channelNoField_), channel)) {
                found = row;
                break;
            }
        }
        known = rowOfChannel_.emplace(std::string{channel}, found).first;
    }
    if (!known->second) {
        return std::nullopt;
    }
    return std::string{ValueOrEmpty(records_, *known->second, stationField_)};
}

} // namespace quellix
