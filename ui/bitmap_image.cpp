#include "ui/bitmap_image.h"

#include "support/errors.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace quellix {

namespace {

constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitfields = 3;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// Guards the arithmetic below against absurd headers; far above any bitmap a window could use.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

[[noreturn]] void Unreadable() {
    throw QuellixError{"ビットマップの形式に対応していません"};
}

std::uint32_t U32(std::string_view bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) {
        Unreadable();
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint16_t U16(std::string_view bytes, std::size_t offset) {
    if (offset + 2 > bytes.size()) {
        Unreadable();
    }
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                      (static_cast<std::uint8_t>(bytes[offset + 1]) << 8));
}

// Only uncompressed bitmaps, and those whose 16 or 32-bit pixels come with colour masks.
void CheckFormat(int bitsPerPixel, std::uint32_t compression) {
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (compression != kCompressionRgb) {
            Unreadable();
        }
        break;
    case 16:
    case 32:
        if (compression != kCompressionRgb && compression != kCompressionBitfields) {
            Unreadable();
        }
        break;
    default:
        Unreadable();
    }
}

// Reads the colour masks and the colour table that follow the info header into `image`; returns
// where the table ends.
std::size_t ReadColors(std::string_view dib, std::size_t headerSize, std::uint32_t compression,
                       std::uint32_t colorsUsed, TBitmapImage& image) {
    std::size_t offset = headerSize;
    if (compression == kCompressionBitfields) {
        // Masks follow a plain info header; the larger headers carry them at the same place.
        const std::size_t at = headerSize == kInfoHeaderSize ? headerSize : kInfoHeaderSize;
        image.RedMask = U32(dib, at);
        image.GreenMask = U32(dib, at + 4);
        image.BlueMask = U32(dib, at + 8);
        if (headerSize == kInfoHeaderSize) {
            offset += 12;
        }
    }
    std::size_t colors = colorsUsed;
    if (image.BitsPerPixel <= 8 && colors == 0) {
        colors = std::size_t{1} << image.BitsPerPixel;
    }
    if (colors > 256) {
        Unreadable();
    }
    for (std::size_t i = 0; i < colors; ++i) {
        const std::uint32_t quad = U32(dib, offset + i * 4);
        if (image.BitsPerPixel <= 8) {
            image.Palette.push_back(TPaletteEntry{static_cast<std::uint8_t>(quad >> 16),
                                                  static_cast<std::uint8_t>(quad >> 8),
                                                  static_cast<std::uint8_t>(quad)});
        }
    }
    return offset + colors * 4;
}

// Copies the rows starting at `offset` top row first; they are stored bottom-up unless `topDown`.
void ReadRows(std::string_view dib, std::size_t offset, bool topDown, TBitmapImage& image) {
    // The rows must all be there before anything is allocated for them.
    const auto stride = static_cast<std::size_t>(image.Stride());
    const auto rows = static_cast<std::size_t>(image.Height);
    if (offset > dib.size() || (dib.size() - offset) / (stride == 0 ? 1 : stride) < rows) {
        Unreadable();
    }
    image.Bits.resize(stride * rows);
    for (std::size_t row = 0; stride != 0 && row < rows; ++row) {
        const std::size_t source = topDown ? row : rows - 1 - row;
        std::memcpy(image.Bits.data() + row * stride, dib.data() + offset + source * stride, stride);
    }
}

// `dib` starts at the info header; `pixelOffset` is where the rows start within `dib`, or 0 when
// they follow the colour table directly.
TBitmapImage ReadDib(std::string_view dib, std::size_t pixelOffset) {
    const std::uint32_t headerSize = U32(dib, 0);
    if (headerSize < kInfoHeaderSize || headerSize > dib.size()) {
        Unreadable();
    }
    const auto width = static_cast<std::int32_t>(U32(dib, 4));
    const auto rawHeight = static_cast<std::int32_t>(U32(dib, 8));
    const int bitsPerPixel = U16(dib, 14);
    const std::uint32_t compression = U32(dib, 16);
    const long long height = std::llabs(static_cast<long long>(rawHeight));
    if (width < 0 || height > std::numeric_limits<int>::max() || static_cast<long long>(width) * height > kMaxPixels) {
        Unreadable();
    }
    CheckFormat(bitsPerPixel, compression);

    TBitmapImage image;
    image.Width = width;
    image.Height = static_cast<int>(height);
    image.BitsPerPixel = bitsPerPixel;
    const std::size_t tableEnd = ReadColors(dib, headerSize, compression, U32(dib, 32), image);
    ReadRows(dib, pixelOffset != 0 ? pixelOffset : tableEnd, rawHeight < 0, image);
    return image;
}

} // namespace

int TBitmapImage::StrideFor(int width, int bitsPerPixel) noexcept {
    if (width <= 0 || bitsPerPixel <= 0) {
        return 0;
    }
    const long long bits = static_cast<long long>(width) * bitsPerPixel;
    return static_cast<int>((bits + 31) / 32 * 4);
}

std::uint8_t PaletteIndexAt(const TBitmapImage& image, int x, int y) noexcept {
    const std::uint8_t* row =
        image.Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Stride());
    const auto ux = static_cast<std::size_t>(x);
    switch (image.BitsPerPixel) {
    case 1:
        return static_cast<std::uint8_t>((row[ux / 8] >> (7 - ux % 8)) & 1U);
    case 4:
        return static_cast<std::uint8_t>(ux % 2 == 0 ? row[ux / 2] >> 4 : row[ux / 2] & 0x0FU);
    default:
        return row[ux];
    }
}

TPaletteEntry ColourAt(const TBitmapImage& image, int x, int y) noexcept {
    if (image.BitsPerPixel == 24) {
        const std::uint8_t* pixel = image.Bits.data() +
                                    static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Stride()) +
                                    static_cast<std::size_t>(x) * 3;
        return TPaletteEntry{pixel[2], pixel[1], pixel[0]};
    }
    if (image.BitsPerPixel != 1 && image.BitsPerPixel != 4 && image.BitsPerPixel != 8) {
        return {};
    }
    const std::size_t index = PaletteIndexAt(image, x, y);
    return index < image.Palette.size() ? image.Palette[index] : TPaletteEntry{};
}

TBitmapImage MakeBitmapImage(int width, int height, int bitsPerPixel) {
    TBitmapImage image;
    image.Width = width;
    image.Height = height;
    image.BitsPerPixel = bitsPerPixel;
    if (width > 0 && height > 0) {
        image.Bits.assign(static_cast<std::size_t>(image.Stride()) * static_cast<std::size_t>(height), 0);
    }
    return image;
}

TBitmapImage ReadBitmapFile(std::string_view bytes) {
    if (bytes.size() < kFileHeaderSize || bytes.substr(0, 2) != "BM") {
        Unreadable();
    }
    const std::uint32_t pixelOffset = U32(bytes, 10);
    if (pixelOffset < kFileHeaderSize + kInfoHeaderSize) {
        Unreadable();
    }
    return ReadDib(bytes.substr(kFileHeaderSize), pixelOffset - kFileHeaderSize);
}

TBitmapImage ReadPackedDib(std::string_view bytes) {
    return ReadDib(bytes, 0);
}

} // namespace quellix
