#include "ui/region.h"

#include <algorithm>
#include <array>
#include <new>

namespace quellix {

namespace {

constexpr std::uint32_t kRegionTypeRectangles = 1;

// One pixel reduced to what the transparency test compares: a palette index (1-, 4- and 8-bit
// bitmaps, which behave as 8-bit ones) or the three colour bytes of the 24-bit form (every other
// format is seen through its 24-bit conversion).
using PixelKey = std::array<std::uint8_t, 3>;

// Scales a masked channel to 8 bits the way a conversion to 24 bits does: the channel's bits on
// top, repeated into the low bits.
std::uint8_t Channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1U) == 0) {
        ++shift;
    }
    int width = 0;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1U) != 0) {
        ++width;
    }
    const std::uint32_t channel = (value & mask) >> shift;
    if (width >= 8) {
        return static_cast<std::uint8_t>(channel >> (width - 8));
    }
    std::uint32_t result = 0;
    for (int filled = 0; filled < 8; filled += width) {
        result = (result << width) | channel;
    }
    const int total = (8 + width - 1) / width * width;
    return static_cast<std::uint8_t>(result >> (total - 8));
}

class PixelReader {
public:
    explicit PixelReader(const TBitmapImage& bitmap) : bitmap_{bitmap}, stride_{bitmap.Stride()} {
        red_ = bitmap.RedMask;
        green_ = bitmap.GreenMask;
        blue_ = bitmap.BlueMask;
        if (red_ == 0 && green_ == 0 && blue_ == 0) {
            red_ = bitmap.BitsPerPixel == 16 ? 0x7C00U : 0xFF0000U;
            green_ = bitmap.BitsPerPixel == 16 ? 0x03E0U : 0x00FF00U;
            blue_ = bitmap.BitsPerPixel == 16 ? 0x001FU : 0x0000FFU;
        }
    }

    [[nodiscard]] PixelKey At(int x, int y) const {
        const std::uint8_t* row = bitmap_.Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
        const auto ux = static_cast<std::size_t>(x);
        switch (bitmap_.BitsPerPixel) {
        case 1:
        case 4:
        case 8:
            return {PaletteIndexAt(bitmap_, x, y), 0, 0};
        case 24:
            return {row[ux * 3], row[ux * 3 + 1], row[ux * 3 + 2]};
        case 16: {
            const std::uint32_t value = row[ux * 2] | (static_cast<std::uint32_t>(row[ux * 2 + 1]) << 8);
            return {Channel(value, blue_), Channel(value, green_), Channel(value, red_)};
        }
        default: { // 32
            const std::uint32_t value = row[ux * 4] | (static_cast<std::uint32_t>(row[ux * 4 + 1]) << 8) |
                                        (static_cast<std::uint32_t>(row[ux * 4 + 2]) << 16) |
                                        (static_cast<std::uint32_t>(row[ux * 4 + 3]) << 24);
            return {Channel(value, blue_), Channel(value, green_), Channel(value, red_)};
        }
        }
    }

private:
    const TBitmapImage& bitmap_;
    int stride_;
    std::uint32_t red_{};
    std::uint32_t green_{};
    std::uint32_t blue_{};
};

void CheckBitmap(const TBitmapImage& bitmap) {
    if (bitmap.Width == 0 && bitmap.Height == 0) {
        throw InvalidImageError{"ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"};
    }
    if (bitmap.Width <= 0 || bitmap.Height <= 0) {
        throw InvalidImageError{"幅または高さが 0 です"};
    }
    switch (bitmap.BitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw InvalidImageError{"ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"};
    }
    const auto needed =
        static_cast<unsigned long long>(bitmap.Stride()) * static_cast<unsigned long long>(bitmap.Height);
    if (bitmap.Bits.size() < needed) {
        throw InvalidImageError{"ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"};
    }
}

void PutU32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetU32(std::span<const std::uint8_t> data, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | data[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

void PutRect(std::uint8_t* out, const TRect32& rect) {
    PutU32(out, static_cast<std::uint32_t>(rect.Left));
    PutU32(out + 4, static_cast<std::uint32_t>(rect.Top));
    PutU32(out + 8, static_cast<std::uint32_t>(rect.Right));
    PutU32(out + 12, static_cast<std::uint32_t>(rect.Bottom));
}

TRect32 GetRect(std::span<const std::uint8_t> data, std::size_t offset) {
    return {static_cast<std::int32_t>(GetU32(data, offset)), static_cast<std::int32_t>(GetU32(data, offset + 4)),
            static_cast<std::int32_t>(GetU32(data, offset + 8)), static_cast<std::int32_t>(GetU32(data, offset + 12))};
}

using Runs = std::vector<std::pair<int, int>>;

} // namespace

std::vector<std::uint8_t> RunsToRgnData(const std::vector<Runs>& rows) {
    // A band is a stretch of consecutive rows with the same runs; a row without runs, or with
    // other runs, starts the next band. The system's region union keeps exactly these bands.
    struct Band {
        int top;
        int bottom;
        const Runs* runs;
    };
    std::vector<Band> bands;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const Runs& runs = rows[y];
        if (runs.empty()) {
            continue;
        }
        const int row = static_cast<int>(y);
        if (!bands.empty() && bands.back().bottom == row && *bands.back().runs == runs) {
            bands.back().bottom = row + 1;
        } else {
            bands.push_back(Band{row, row + 1, &runs});
        }
    }

    std::vector<TRect32> rects;
    TRect32 bound{};
    for (const Band& band : bands) {
        for (const auto& [left, right] : *band.runs) {
            const TRect32 rect{left, band.top, right, band.bottom};
            if (rects.empty()) {
                bound = rect;
            } else {
                bound.Left = std::min(bound.Left, rect.Left);
                bound.Right = std::max(bound.Right, rect.Right);
                bound.Bottom = std::max(bound.Bottom, rect.Bottom);
            }
            rects.push_back(rect);
        }
    }

    std::vector<std::uint8_t> data(kRgnDataHeaderSize + rects.size() * 16);
    PutU32(data.data(), static_cast<std::uint32_t>(kRgnDataHeaderSize));
    PutU32(data.data() + 4, kRegionTypeRectangles);
    PutU32(data.data() + 8, static_cast<std::uint32_t>(rects.size()));
    PutU32(data.data() + 12, static_cast<std::uint32_t>(rects.size() * 16));
    PutRect(data.data() + 16, bound);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        PutRect(data.data() + kRgnDataHeaderSize + i * 16, rects[i]);
    }
    return data;
}

std::vector<std::uint8_t> BitmapToRgnData(const TBitmapImage& bitmap) {
    CheckBitmap(bitmap);
    try {
        const PixelReader pixels{bitmap};
        const PixelKey transparent = pixels.At(0, bitmap.Height - 1);
        const auto opaque = [&](int x, int y) { return pixels.At(x, y) != transparent; };

        std::vector<Runs> rows(static_cast<std::size_t>(bitmap.Height));
        for (int y = 0; y < bitmap.Height; ++y) {
            Runs& runs = rows[static_cast<std::size_t>(y)];
            int x = 0;
            while (x < bitmap.Width) {
                // Checked before looking for a further run: a row may end on its 101st run.
                if (static_cast<int>(runs.size()) >= kMaxRunsPerRow) {
                    throw InvalidImageError{"ﾋﾞｯﾄﾏｯﾌﾟの形状が不適です"};
                }
                while (x < bitmap.Width && !opaque(x, y)) {
                    ++x;
                }
                if (x == bitmap.Width) {
                    break;
                }
                int end = x + 1;
                while (end < bitmap.Width && opaque(end, y)) {
                    ++end;
                }
                runs.emplace_back(x, end);
                x = end + 1;
            }
        }
        return RunsToRgnData(rows);
    } catch (const std::bad_alloc&) {
        throw QuellixError{"ﾒﾓﾘ獲得に失敗しました"};
    }
}

std::vector<std::uint8_t> TransparencyMask(const TBitmapImage& bitmap) {
    CheckBitmap(bitmap);
    const PixelReader pixels{bitmap};
    const PixelKey transparent = pixels.At(0, bitmap.Height - 1);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(bitmap.Width) * static_cast<std::size_t>(bitmap.Height));
    std::size_t i = 0;
    for (int y = 0; y < bitmap.Height; ++y) {
        for (int x = 0; x < bitmap.Width; ++x) {
            mask[i++] = pixels.At(x, y) == transparent ? 1 : 0;
        }
    }
    return mask;
}

TRegionData DecodeRgnData(std::span<const std::uint8_t> data) {
    if (data.size() < kRgnDataHeaderSize || GetU32(data, 0) != kRgnDataHeaderSize ||
        GetU32(data, 4) != kRegionTypeRectangles) {
        throw ConversionError{"ﾘｰｼﾞｮﾝﾃﾞｰﾀが抽出できません"};
    }
    const std::uint32_t count = GetU32(data, 8);
    if ((data.size() - kRgnDataHeaderSize) / 16 < count) {
        throw ConversionError{"ﾘｰｼﾞｮﾝﾃﾞｰﾀが抽出できません"};
    }
    TRegionData region;
    region.Bound = GetRect(data, 16);
    region.Rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        region.Rects.push_back(GetRect(data, kRgnDataHeaderSize + std::size_t{i} * 16));
    }
    return region;
}

} // namespace quellix
