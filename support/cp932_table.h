// The mapping of code page 932's double-byte codes to Unicode, as data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quellix::cp932 {

inline constexpr std::size_t kLeadCount = 60;   // 0x81-0x9F and 0xE0-0xFC
inline constexpr std::size_t kTrailCount = 189; // 0x40-0xFC, 0x7F included (never a character)
inline constexpr std::size_t kRepeatedCount = 398;

extern const std::uint16_t kDoubleByte[kLeadCount * kTrailCount];
extern const std::uint16_t kRepeatedCodes[kRepeatedCount];

} // namespace quellix::cp932
