// A device-independent bitmap held in memory (the pixel layout of a Windows DIB, rows top-down),
// and a reader for the bitmap file and resource formats.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quellix {

struct TPaletteEntry {
    std::uint8_t Red{};
    std::uint8_t Green{};
    std::uint8_t Blue{};
};

struct TBitmapImage {
    int Width{};
    int Height{};
    // 1, 4 and 8: palette indices (1- and 4-bit pixels packed from the high bit down); 24: blue,
    // green, red bytes; 16 and 32: packed colour values read through the masks below.
    int BitsPerPixel{24};
    std::vector<TPaletteEntry> Palette;
    // Colour masks of 16- and 32-bit pixels; all 0 means the plain layouts (5-5-5 and 8-8-8).
    std::uint32_t RedMask{};
    std::uint32_t GreenMask{};
    std::uint32_t BlueMask{};
    // Rows from the top down, Stride() bytes each (padded to four bytes, as in a DIB).
    std::vector<std::uint8_t> Bits;

    [[nodiscard]] static int StrideFor(int width, int bitsPerPixel) noexcept;
    [[nodiscard]] int Stride() const noexcept { return StrideFor(Width, BitsPerPixel); }
};

// The palette index of a pixel of a 1-, 4- or 8-bit image (1- and 4-bit pixels packed from the
// high bit down).
[[nodiscard]] std::uint8_t PaletteIndexAt(const TBitmapImage& image, int x, int y) noexcept;

// The colour of a pixel of a palette (1, 4, 8 bits) or 24-bit image; black for an index beyond
// the palette and for other formats.
[[nodiscard]] TPaletteEntry ColourAt(const TBitmapImage& image, int x, int y) noexcept;

// A blank bitmap of the given format, every pixel 0.
[[nodiscard]] TBitmapImage MakeBitmapImage(int width, int height, int bitsPerPixel);

// Reads a bitmap file (".bmp": file header, info header, colour table, pixels) or a packed DIB
// (a bitmap resource: the same without the file header). Uncompressed images of 1, 4, 8, 16, 24
// and 32 bits per pixel, with or without colour masks; anything else raises a QuellixError.
[[nodiscard]] TBitmapImage ReadBitmapFile(std::string_view bytes);
[[nodiscard]] TBitmapImage ReadPackedDib(std::string_view bytes);

} // namespace quellix
