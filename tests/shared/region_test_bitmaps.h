// Bitmaps whose shapes both the native tests and the Wine comparison with the system's own
// region union check.
#pragma once

#include "ui/bitmap_image.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quellix::testing {

// A 24-bit bitmap; `opaque(x, y)` pixels are dark blue, the rest (and the bottom-left pixel,
// which must be transparent) silver.
inline TBitmapImage MakeShape24(int width, int height, const std::function<bool(int, int)>& opaque) {
    TBitmapImage image = MakeBitmapImage(width, height, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = image.Bits.data() + y * image.Stride() + x * 3;
            const bool on = opaque(x, y);
            pixel[0] = on ? 128 : 192;
            pixel[1] = on ? 0 : 192;
            pixel[2] = on ? 0 : 192;
        }
    }
    return image;
}

inline void SetIndex(TBitmapImage& image, int x, int y, int index) {
    std::uint8_t* row = image.Bits.data() + y * image.Stride();
    switch (image.BitsPerPixel) {
    case 1:
        row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(0x80 >> (x % 8))) | (index ? 0x80 >> (x % 8) : 0));
        break;
    case 4:
        row[x / 2] =
            static_cast<std::uint8_t>(x % 2 == 0 ? (row[x / 2] & 0x0F) | (index << 4) : (row[x / 2] & 0xF0) | index);
        break;
    default:
        row[x] = static_cast<std::uint8_t>(index);
        break;
    }
}

// A palette bitmap where every entry has the same colour: only the index tells pixels apart.
inline TBitmapImage MakeIndexed(int bits, int width, int height, const std::function<int(int, int)>& index) {
    TBitmapImage image = MakeBitmapImage(width, height, bits);
    image.Palette.assign(std::size_t{1} << bits, TPaletteEntry{10, 20, 30});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetIndex(image, x, y, index(x, y));
        }
    }
    return image;
}

struct NamedBitmap {
    std::string name;
    TBitmapImage image;
};

// The first row alternates an opaque and a transparent pixel, starting opaque; the second is
// all transparent.
inline TBitmapImage MakeComb(int width) {
    return MakeShape24(width, 2, [](int x, int y) { return y == 0 && x % 2 == 0; });
}

// Every bitmap that yields a region (the failing ones are checked by the native tests alone).
inline std::vector<NamedBitmap> RegionCases() {
    std::vector<NamedBitmap> cases;
    cases.push_back({"all transparent", MakeShape24(6, 4, [](int, int) { return false; })});
    cases.push_back({"only bottom-left transparent", MakeShape24(7, 5, [](int x, int y) { return x > 0 || y < 4; })});
    cases.push_back({"101 runs", MakeComb(201)});
    cases.push_back({"ring", MakeShape24(9, 9, [](int x, int y) {
                         const bool outer = x >= 1 && x < 8 && y >= 1 && y < 8;
                         const bool hole = x >= 3 && x < 6 && y >= 3 && y < 6;
                         return outer && !hole;
                     })});
    // Two equal bands split by an empty row stay two bands.
    cases.push_back(
        {"split bands", MakeShape24(5, 6, [](int x, int y) { return y != 2 && y < 5 && x >= 1 && x < 4; })});
    cases.push_back({"staircase", MakeShape24(12, 10, [](int x, int y) { return x >= y && x < y + 3; })});
    cases.push_back({"1 bit", MakeIndexed(1, 10, 4, [](int x, int y) { return (x + y) % 3 == 0 ? 0 : 1; })});
    cases.push_back({"4 bit", MakeIndexed(4, 9, 5, [](int x, int y) { return y == 4 && x == 0 ? 7 : (x * y) % 16; })});
    cases.push_back({"8 bit", MakeIndexed(8, 11, 3, [](int x, int y) { return y == 2 ? 200 : x * 20 + y; })});
    return cases;
}

// Pseudo-random shapes: a fixed seed, so every run checks the same bitmaps.
inline std::vector<NamedBitmap> RandomRegionCases(int count) {
    std::vector<NamedBitmap> cases;
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1103515245U + 12345U;
        return (state >> 16) & 0x7FFFU;
    };
    for (int i = 0; i < count; ++i) {
        const int width = 1 + static_cast<int>(next() % 40);
        const int height = 1 + static_cast<int>(next() % 30);
        const unsigned density = next() % 100;
        const unsigned rowRepeat = 1 + next() % 4; // repeated rows make bands to merge
        std::vector<std::vector<bool>> rows;
        for (int y = 0; y < height; ++y) {
            if (y % static_cast<int>(rowRepeat) != 0) {
                rows.push_back(rows.back());
                continue;
            }
            std::vector<bool> row(static_cast<std::size_t>(width));
            for (int x = 0; x < width; ++x) {
                row[static_cast<std::size_t>(x)] = next() % 100 < density;
            }
            rows.push_back(row);
        }
        rows.back()[0] = false;
        cases.push_back({"random " + std::to_string(i), MakeShape24(width, height, [&rows](int x, int y) {
                             return static_cast<bool>(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
                         })});
    }
    return cases;
}

} // namespace quellix::testing
