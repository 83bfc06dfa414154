// The shape of a skinned window: a bitmap's opaque pixels as a Windows region-data block.
#pragma once

#include "support/errors.h"
#include "ui/bitmap_image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quellix {

// The bitmap cannot give a shape (not set, empty, too ragged).
class InvalidImageError : public QuellixError {
public:
    using QuellixError::QuellixError;
};

// The region data could not be produced.
class ConversionError : public QuellixError {
public:
    using QuellixError::QuellixError;
};

struct TRect32 {
    std::int32_t Left{};
    std::int32_t Top{};
    std::int32_t Right{};  // exclusive
    std::int32_t Bottom{}; // exclusive
    friend bool operator==(const TRect32&, const TRect32&) = default;
};

// A decoded region-data block.
struct TRegionData {
    TRect32 Bound;
    std::vector<TRect32> Rects;
};

inline constexpr std::size_t kRgnDataHeaderSize = 32;
// A row of the bitmap may hold at most this many opaque runs.
inline constexpr int kMaxRunsPerRow = 101;

// The opaque pixels of `bitmap` (every pixel that differs from the bottom-left one) as the bytes
// of a region-data block: 32-byte header, then the rectangles in the system's banded order (top
// to bottom, left to right within a band), rows with identical runs merged into one band. The
// bytes are what the system's own region union and data query give for the same pixels.
// Raises InvalidImageError for a bitmap that is not set, has no width or height, or has a row
// of more than 101 opaque runs; a memory shortage raises QuellixError.
[[nodiscard]] std::vector<std::uint8_t> BitmapToRgnData(const TBitmapImage& bitmap);

// Region data from rows of opaque runs (row y's runs as [left, right) pairs, sorted and apart).
[[nodiscard]] std::vector<std::uint8_t> RunsToRgnData(const std::vector<std::vector<std::pair<int, int>>>& rows);

// One byte per pixel, rows top-down: 1 where the pixel has the bottom-left pixel's colour (or
// palette index), 0 elsewhere. Raises as BitmapToRgnData does for a bitmap without pixels.
[[nodiscard]] std::vector<std::uint8_t> TransparencyMask(const TBitmapImage& bitmap);

// Reads a region-data block; raises ConversionError when it is not one.
[[nodiscard]] TRegionData DecodeRgnData(std::span<const std::uint8_t> data);

} // namespace quellix
