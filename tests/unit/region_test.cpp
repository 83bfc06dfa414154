#include "ui/region.h"

#include "support/errors.h"
#include "tests/shared/region_test_bitmaps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>
#include <iterator>

namespace quellix {
namespace {

using testing::MakeComb;
using testing::MakeIndexed;
using testing::MakeShape24;

TRegionData Region(const TBitmapImage& image) {
    return DecodeRgnData(BitmapToRgnData(image));
}

std::string ReadAsset(const std::string& name) {
    std::ifstream in{std::string{QUELLIX_SOURCE_DIR} + "/assets/" + name, std::ios::binary};
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>{in}, std::istreambuf_iterator<char>{}};
}

TEST(BitmapToRgnData, BuildsBandedRectangles) {
    struct Case {
        const char* name;
        TBitmapImage image;
        std::vector<TRect32> rects;
        TRect32 bound;
    };
    const Case cases[] = {
        {"every pixel transparent", MakeShape24(6, 4, [](int, int) { return false; }), {}, {0, 0, 0, 0}},
        {"only the bottom-left pixel transparent",
         MakeShape24(7, 5, [](int x, int y) { return x > 0 || y < 4; }),
         {{0, 0, 7, 4}, {1, 4, 7, 5}},
         {0, 0, 7, 5}},
        {"a ring: one band of two runs between two full bands",
         MakeShape24(
             9, 9,
             [](int x, int y) { return x >= 1 && x < 8 && y >= 1 && y < 8 && !(x >= 3 && x < 6 && y >= 3 && y < 6); }),
         {{1, 1, 8, 3}, {1, 3, 3, 6}, {6, 3, 8, 6}, {1, 6, 8, 8}},
         {1, 1, 8, 8}},
        {"equal rows apart stay apart",
         MakeShape24(5, 6, [](int x, int y) { return y != 2 && y < 5 && x >= 1 && x < 4; }),
         {{1, 0, 4, 2}, {1, 3, 4, 5}},
         {1, 0, 4, 5}},
        {"runs end at the right edge",
         MakeShape24(4, 3, [](int x, int y) { return y < 2 && x != 1; }),
         {{0, 0, 1, 2}, {2, 0, 4, 2}},
         {0, 0, 4, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> data = BitmapToRgnData(c.image);
        ASSERT_EQ(data.size(), kRgnDataHeaderSize + 16 * c.rects.size());
        const TRegionData region = DecodeRgnData(data);
        EXPECT_EQ(region.Rects, c.rects);
        EXPECT_EQ(region.Bound, c.bound);
        EXPECT_EQ(data[0], 32);
        EXPECT_EQ(data[4], 1);
        EXPECT_EQ(data[12], 16 * c.rects.size()); // size of the rectangle part
    }
}

TEST(BitmapToRgnData, AllowsAtMost101RunsInARow) {
    const TRegionData region = Region(MakeComb(201));
    ASSERT_EQ(region.Rects.size(), 101U);
    EXPECT_EQ(region.Rects.back(), (TRect32{200, 0, 201, 1}));
    EXPECT_EQ(region.Bound, (TRect32{0, 0, 201, 1}));

    for (int width : {203, 205}) { // 102 and 103 runs
        try {
            (void)BitmapToRgnData(MakeComb(width));
            ADD_FAILURE() << width << " pixels: no error";
        } catch (const InvalidImageError& error) {
            EXPECT_STREQ(error.what(), "ﾋﾞｯﾄﾏｯﾌﾟの形状が不適です");
        }
    }
}

TEST(BitmapToRgnData, RejectsBitmapsWithoutPixels) {
    struct Case {
        TBitmapImage image;
        const char* message;
    };
    TBitmapImage truncated = MakeShape24(4, 4, [](int, int) { return true; });
    truncated.Bits.resize(truncated.Bits.size() - 1);
    TBitmapImage oddFormat = MakeBitmapImage(4, 4, 24);
    oddFormat.BitsPerPixel = 7;
    const Case cases[] = {
        {TBitmapImage{}, "ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"}, {MakeBitmapImage(0, 5, 24), "幅または高さが 0 です"},
        {MakeBitmapImage(5, 0, 8), "幅または高さが 0 です"},   {truncated, "ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"},
        {oddFormat, "ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            (void)BitmapToRgnData(c.image);
            ADD_FAILURE() << "no error";
        } catch (const InvalidImageError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(BitmapToRgnData, ComparesPaletteIndicesNotColours) {
    // Every palette entry has the same colour: a comparison of colours would find nothing opaque.
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        const TRegionData region =
            Region(MakeIndexed(bits, 5, 3, [](int x, int y) { return y == 2 || x == 0 ? 0 : 1; }));
        EXPECT_EQ(region.Rects, (std::vector<TRect32>{{1, 0, 5, 2}}));
    }
    // The transparent colour is whatever index the bottom-left pixel holds.
    const TRegionData four = Region(MakeIndexed(4, 3, 2, [](int x, int y) { return y == 1 && x < 2 ? 9 : 15; }));
    EXPECT_EQ(four.Rects, (std::vector<TRect32>{{0, 0, 3, 1}, {2, 1, 3, 2}}));
}

TEST(BitmapToRgnData, SeesOtherFormatsThroughTheir24BitColours) {
    // 32 bits: the fourth byte is dropped by the conversion, so it does not make a pixel opaque.
    TBitmapImage wide = MakeBitmapImage(3, 2, 32);
    const std::uint8_t pixels32[2][12] = {{1, 2, 3, 0, 1, 2, 3, 255, 1, 2, 4, 0}, {1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0}};
    for (int y = 0; y < 2; ++y) {
        std::copy(std::begin(pixels32[y]), std::end(pixels32[y]), wide.Bits.begin() + y * wide.Stride());
    }
    EXPECT_EQ(Region(wide).Rects, (std::vector<TRect32>{{2, 0, 3, 1}}));
    // Every bit of every byte counts: green's top bit, blue's lowest.
    TBitmapImage close = MakeBitmapImage(3, 1, 32);
    const std::uint8_t closePixels[12] = {1, 2, 3, 0, 1, 130, 3, 0, 0, 2, 3, 0};
    std::copy(std::begin(closePixels), std::end(closePixels), close.Bits.begin());
    EXPECT_EQ(Region(close).Rects, (std::vector<TRect32>{{1, 0, 3, 1}}));
    // Masks may take the fourth byte: the second pixel differs from the others in it alone.
    TBitmapImage top = MakeBitmapImage(4, 1, 32);
    top.RedMask = 0xFF000000U;
    top.GreenMask = 0x0000FF00U;
    top.BlueMask = 0x000000FFU;
    const std::uint8_t topPixels[16] = {1, 2, 3, 0, 1, 2, 3, 1, 1, 2, 3, 0, 1, 2, 3, 0};
    std::copy(std::begin(topPixels), std::end(topPixels), top.Bits.begin());
    EXPECT_EQ(Region(top).Rects, (std::vector<TRect32>{{1, 0, 2, 1}}));

    // 16 bits: the top bit is red under 5-6-5 masks and unused in the plain 5-5-5 layout.
    TBitmapImage packed = MakeBitmapImage(2, 2, 16);
    packed.RedMask = 0xF800;
    packed.GreenMask = 0x07E0;
    packed.BlueMask = 0x001F;
    packed.Bits[1] = 0x80; // x 0, y 0
    packed.Bits[2] = 0x20; // x 1, y 0: green 1 in both layouts
    EXPECT_EQ(Region(packed).Rects, (std::vector<TRect32>{{0, 0, 2, 1}}));
    packed.RedMask = packed.GreenMask = packed.BlueMask = 0;
    EXPECT_EQ(Region(packed).Rects, (std::vector<TRect32>{{1, 0, 2, 1}}));
}

TEST(BitmapToRgnData, WindowBitmapGivesTheDesignedShape) {
    const TBitmapImage window = ReadBitmapFile(ReadAsset("window.bmp"));
    ASSERT_EQ(window.Width, 445);
    ASSERT_EQ(window.Height, 183);
    ASSERT_EQ(window.BitsPerPixel, 24);
    const std::uint8_t* bottomLeft = window.Bits.data() + 182 * window.Stride();
    EXPECT_EQ(bottomLeft[0], 192);
    EXPECT_EQ(bottomLeft[1], 192);
    EXPECT_EQ(bottomLeft[2], 192);

    const std::vector<std::uint8_t> data = BitmapToRgnData(window);
    EXPECT_EQ(data.size(), 576U);
    const TRegionData region = DecodeRgnData(data);
    EXPECT_EQ(region.Rects.size(), 34U);
    EXPECT_EQ(region.Bound, (TRect32{1, 2, 444, 182}));
}

TEST(ReadBitmapFile, ReadsTheGlyphFormats) {
    const TBitmapImage about = ReadBitmapFile(ReadAsset("about.bmp"));
    EXPECT_EQ(about.BitsPerPixel, 4);
    EXPECT_EQ(about.Width, 16);
    EXPECT_EQ(about.Palette.size(), 16U);
    EXPECT_EQ(about.Bits[15 * about.Stride()] >> 4, 13); // bottom-left: the transparent magenta
    const TBitmapImage pause = ReadBitmapFile(ReadAsset("pause.bmp"));
    EXPECT_EQ(pause.BitsPerPixel, 8);
    EXPECT_EQ(pause.Palette.size(), 256U);
    // The pause glyph: two bars, one band of two runs between transparent rows.
    const TRegionData region = Region(pause);
    EXPECT_EQ(region.Rects, (std::vector<TRect32>{{3, 2, 7, 14}, {9, 2, 13, 14}}));
}

// The glyphs take their colours from here: nibble and bit order, the palette, 24-bit blue first.
TEST(ColourAt, ReadsEachPixelFormat) {
    const TBitmapImage about = ReadBitmapFile(ReadAsset("about.bmp"));
    const TPaletteEntry corner = ColourAt(about, 0, 15); // bottom-left: the transparent magenta
    EXPECT_EQ(std::tuple(corner.Red, corner.Green, corner.Blue), std::tuple(255, 0, 255));

    TBitmapImage bits = MakeBitmapImage(9, 1, 1);
    bits.Palette = {{1, 2, 3}, {4, 5, 6}};
    bits.Bits[1] = 0x80; // pixel 8, the first of the second byte
    EXPECT_EQ(ColourAt(bits, 8, 0).Blue, 6);
    EXPECT_EQ(ColourAt(bits, 7, 0).Blue, 3);

    TBitmapImage nibbles = MakeBitmapImage(6, 1, 4);
    nibbles.Palette = {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}};
    nibbles.Bits[0] = 0x12; // high nibble first
    nibbles.Bits[2] = 0x21;
    EXPECT_EQ(ColourAt(nibbles, 0, 0).Red, 10);
    EXPECT_EQ(ColourAt(nibbles, 1, 0).Red, 20);
    EXPECT_EQ(ColourAt(nibbles, 4, 0).Red, 20);
    EXPECT_EQ(ColourAt(nibbles, 5, 0).Red, 10);

    TBitmapImage indexed = MakeBitmapImage(2, 1, 8);
    indexed.Bits[0] = 7; // beyond a palette of one entry
    indexed.Palette = {{9, 9, 9}};
    EXPECT_EQ(ColourAt(indexed, 0, 0).Red, 0);
    EXPECT_EQ(ColourAt(indexed, 1, 0).Red, 9);

    TBitmapImage rgb = MakeBitmapImage(1, 2, 24);
    rgb.Bits[rgb.Stride()] = 30; // second row: blue, green, red
    rgb.Bits[rgb.Stride() + 2] = 90;
    const TPaletteEntry colour = ColourAt(rgb, 0, 1);
    EXPECT_EQ(std::tuple(colour.Red, colour.Green, colour.Blue), std::tuple(90, 0, 30));
}

// A bitmap file of `height` rows of one 32-bit pixel, with colour masks after the info header
// when `compression` is 3.
std::string Bitmap32(std::uint32_t compression, std::uint32_t height) {
    const std::size_t masks = compression == 3 ? 12 : 0;
    std::string bytes(14 + 40 + masks + 4 * height, '\0');
    const auto put = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(10, static_cast<std::uint32_t>(14 + 40 + masks));
    put(14, 40);
    put(18, 1);
    put(22, height);
    bytes[14 + 14] = 32;
    put(14 + 16, compression);
    if (masks != 0) {
        put(54, 0xFF0000);
        put(58, 0xFF00);
        put(62, 0xFF);
    }
    return bytes;
}

TEST(ReadBitmapFile, ReadsUncompressedAndMaskedTrueColour) {
    EXPECT_EQ(ReadBitmapFile(Bitmap32(0, 1)).BitsPerPixel, 32);
    EXPECT_EQ(ReadBitmapFile(Bitmap32(3, 1)).GreenMask, 0xFF00U);
    EXPECT_TRUE(ReadBitmapFile(Bitmap32(0, 0)).Bits.empty());         // no rows: its pixels start at its end
    EXPECT_EQ(ReadBitmapFile(Bitmap32(3, 0)).BlueMask, 0xFFU);        // its masks end at its last byte
    EXPECT_THROW((void)ReadBitmapFile(Bitmap32(1, 1)), QuellixError); // run-length compressed
}

TEST(ReadBitmapFile, RejectsWhatItCannotRead) {
    const std::string window = ReadAsset("window.bmp");
    std::string rle = ReadAsset("pause.bmp");
    rle[14 + 16] = 1; // run-length compressed
    std::string intoHeader = ReadAsset("pause.bmp");
    intoHeader[10] = 14 + 20; // the pixels would start inside the info header
    intoHeader[11] = intoHeader[12] = intoHeader[13] = 0;
    std::string intoFileHeader = intoHeader;
    intoFileHeader[10] = 4;
    std::string noMasks = Bitmap32(3, 0).substr(0, 54); // its colour masks cut off
    noMasks[10] = 54;
    for (const std::string& bytes : {std::string{}, std::string{"BM"}, window.substr(0, 1000), rle,
                                     std::string{"XX"} + window.substr(2), intoHeader, intoFileHeader, noMasks}) {
        EXPECT_THROW((void)ReadBitmapFile(bytes), QuellixError);
    }
    std::string noWidth = ReadAsset("pause.bmp");
    noWidth[14 + 4] = 0; // a bitmap of no width reads, and gives no shape
    try {
        (void)BitmapToRgnData(ReadBitmapFile(noWidth));
        ADD_FAILURE() << "no error";
    } catch (const InvalidImageError& error) {
        EXPECT_STREQ(error.what(), "幅または高さが 0 です");
    }
}

} // namespace
} // namespace quellix
