#include "ui/region_win.h"

#include "support/errors.h"
#include "ui/region.h"
#include "tests/shared/region_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace quellix {
namespace {

// The source tree is a Unix path; Wine shows the Unix root as drive Z:.
std::string SourcePath(const std::string& relative) {
    const std::string root{QUELLIX_SOURCE_DIR};
    return (root.starts_with("/") ? "Z:" : "") + root + "/" + relative;
}

TBitmapImage ReadWindowBitmap() {
    std::ifstream in{SourcePath("assets/window.bmp"), std::ios::binary};
    EXPECT_TRUE(in);
    return ReadBitmapFile(std::string{std::istreambuf_iterator<char>{in}, std::istreambuf_iterator<char>{}});
}

// The opaque runs of each row, found here independently of the code under test.
std::vector<std::vector<std::pair<int, int>>> OpaqueRuns(const TBitmapImage& image) {
    const auto key = [&](int x, int y) -> std::uint32_t {
        const std::uint8_t* row = image.Bits.data() + y * image.Stride();
        switch (image.BitsPerPixel) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
        case 8:
            return row[x];
        default:
            return row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
        }
    };
    const std::uint32_t transparent = key(0, image.Height - 1);
    std::vector<std::vector<std::pair<int, int>>> rows(static_cast<std::size_t>(image.Height));
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            if (key(x, y) == transparent) {
                continue;
            }
            auto& runs = rows[static_cast<std::size_t>(y)];
            if (!runs.empty() && runs.back().second == x) {
                runs.back().second = x + 1;
            } else {
                runs.emplace_back(x, x + 1);
            }
        }
    }
    return rows;
}

std::vector<std::uint8_t> RegionBytes(HRGN region) {
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(::GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())), size);
    return data;
}

// What the system's own union of the same runs gives.
std::vector<std::uint8_t> SystemRegionData(const std::vector<std::vector<std::pair<int, int>>>& rows) {
    UniqueHrgn region{::CreateRectRgn(0, 0, 0, 0)};
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (const auto& [left, right] : rows[y]) {
            const int top = static_cast<int>(y);
            UniqueHrgn run{::CreateRectRgn(left, top, right, top + 1)};
            ::CombineRgn(region.get(), region.get(), run.get(), RGN_OR);
        }
    }
    return RegionBytes(region.get());
}

UniqueHbitmap DibSection(const TBitmapImage& image) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = image.Width;
    info.header.biHeight = -image.Height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(image.BitsPerPixel);
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = static_cast<DWORD>(image.Palette.size());
    for (std::size_t i = 0; i < image.Palette.size(); ++i) {
        info.colors[i] = RGBQUAD{image.Palette[i].Blue, image.Palette[i].Green, image.Palette[i].Red, 0};
    }
    void* bits = nullptr;
    UniqueHbitmap bitmap{
        ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0)};
    EXPECT_TRUE(bitmap);
    std::memcpy(bits, image.Bits.data(), image.Bits.size());
    return bitmap;
}

TEST(RegionAgainstSystem, SameBytesAsTheSystemsUnionOfTheRuns) {
    std::vector<testing::NamedBitmap> cases = testing::RegionCases();
    for (testing::NamedBitmap& c : testing::RandomRegionCases(150)) {
        cases.push_back(std::move(c));
    }
    cases.push_back({"window", ReadWindowBitmap()});
    for (const testing::NamedBitmap& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> ours = BitmapToRgnData(c.image);
        EXPECT_EQ(ours, SystemRegionData(OpaqueRuns(c.image)));
        // The bitmap read back from a DIB section of the same format gives the same data.
        EXPECT_EQ(BitmapToRgnData(ImageFromBitmap(DibSection(c.image).get())), ours);
    }
}

TEST(ImageFromBitmap, ConvertsOtherFormatsTo24Bits) {
    TBitmapImage wide = MakeBitmapImage(3, 2, 32);
    wide.Bits[0] = 7;  // x 0, y 0: blue 7
    wide.Bits[7] = 99; // x 1, y 0: only the fourth byte differs from transparent
    const TBitmapImage image = ImageFromBitmap(DibSection(wide).get());
    EXPECT_EQ(image.BitsPerPixel, 24);
    EXPECT_EQ(DecodeRgnData(BitmapToRgnData(image)).Rects, (std::vector<TRect32>{{0, 0, 1, 1}}));
    EXPECT_EQ(ImageFromBitmap(nullptr).Width, 0);
}

struct TopLevelWindow {
    HWND handle;
    TopLevelWindow() {
        RECT frame{0, 0, 445, 183};
        ::AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, 0);
        handle = ::CreateWindowExW(0, L"STATIC", L"shape", WS_CAPTION | WS_SYSMENU, 50, 60, frame.right - frame.left,
                                   frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    }
    ~TopLevelWindow() { ::DestroyWindow(handle); }
};

TEST(TRgn, ShapesItsParentWindow) {
    const TBitmapImage image = ReadWindowBitmap();
    TopLevelWindow form;
    ASSERT_NE(form.handle, nullptr);
    TRgn rgn{"Rgn1"};
    rgn.SetParent(form.handle);
    rgn.SetAutoSize(true);
    rgn.SetRgnBitmap(DibSection(image));
    rgn.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(rgn.BoundsRect().right, 445); // the bitmap's size wins
    EXPECT_EQ(rgn.RgnData(), BitmapToRgnData(image));
    rgn.Loaded();
    ASSERT_NE(rgn.RegionHandle(), nullptr);
    rgn.ApplyParentRgn();
    EXPECT_EQ(rgn.RegionHandle(), nullptr); // handed over

    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(form.handle, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0U);
    EXPECT_NE(style & WS_POPUP, 0U);
    RECT client{};
    RECT window{};
    ::GetClientRect(form.handle, &client);
    ::GetWindowRect(form.handle, &window);
    EXPECT_EQ(client.right, 445);
    EXPECT_EQ(client.bottom, 183);
    EXPECT_EQ(window.right - window.left, 445);
    EXPECT_EQ(window.left, 50);
    EXPECT_EQ(::GetClassLongPtrW(form.handle, GCLP_HBRBACKGROUND),
              reinterpret_cast<LONG_PTR>(::GetStockObject(HOLLOW_BRUSH)));

    UniqueHrgn applied{::CreateRectRgn(0, 0, 0, 0)};
    ASSERT_NE(::GetWindowRgn(form.handle, applied.get()), ERROR);
    EXPECT_EQ(RegionBytes(applied.get()), rgn.RgnData());
}

TEST(TRgn, MakesTheRegionAtItsPlaceAndSize) {
    const TBitmapImage shape = testing::MakeShape24(4, 3, [](int x, int y) { return y < 2 && x != 1; });
    TRgn rgn{"Rgn2"};
    rgn.SetRgnBitmap(DibSection(shape));
    rgn.SetBounds(10, 20, 8, 9); // twice as wide, three times as high
    rgn.MakeRgn();
    EXPECT_EQ(DecodeRgnData(RegionBytes(rgn.RegionHandle())).Rects,
              (std::vector<TRect32>{{10, 20, 12, 26}, {14, 20, 18, 26}}));
    rgn.SetAutoSize(true);
    rgn.MakeRgn();
    EXPECT_EQ(DecodeRgnData(RegionBytes(rgn.RegionHandle())).Rects,
              (std::vector<TRect32>{{10, 20, 11, 22}, {12, 20, 14, 22}}));
}

TEST(TRgn, ReportsMisuse) {
    const auto message = [](auto&& action) -> std::string {
        try {
            action();
        } catch (const QuellixError& error) {
            return error.what();
        }
        return "no error";
    };
    TRgn rgn{"Rgn1"};
    EXPECT_EQ(message([&] { rgn.ApplyParentRgn(); }), "Parentが設定されていません");
    EXPECT_EQ(message([&] { rgn.MakeRgn(); }), "Rgn1 のﾘｰｼﾞｮﾝ情報がありません");
    rgn.SetRgnData(BitmapToRgnData(testing::MakeComb(9)));
    EXPECT_EQ(message([&] { rgn.MakeRgn(); }), "Rgn1:RgnBitmap のﾋﾞｯﾄﾏｯﾌﾟが正しくありません");

    rgn.SetRgnBitmap(DibSection(testing::MakeComb(9)));
    ASSERT_FALSE(rgn.RgnData().empty());
    EXPECT_EQ(message([&] { rgn.SetRgnBitmap(DibSection(testing::MakeComb(205))); }), "ﾋﾞｯﾄﾏｯﾌﾟの形状が不適です");
    EXPECT_TRUE(rgn.RgnData().empty());
    EXPECT_EQ(rgn.RgnBitmap(), nullptr);
    EXPECT_EQ(message([&] { rgn.SetRgnBitmap(UniqueHbitmap{}); }), "ﾋﾞｯﾄﾏｯﾌﾟが正しくｾｯﾄされていません");
}

TEST(TRgn, PaintsOpaqueOrTransparent) {
    const TBitmapImage shape = testing::MakeShape24(4, 3, [](int x, int y) { return y < 2 && x != 1; });
    const COLORREF below = RGB(255, 0, 0);
    const COLORREF opaque = RGB(0, 0, 128);
    const COLORREF silver = RGB(192, 192, 192);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        const UniqueMemoryDc dc{::CreateCompatibleDC(nullptr)};
        const TBitmapImage canvasImage = MakeBitmapImage(10, 10, 24);
        const UniqueHbitmap canvas = DibSection(canvasImage);
        const ScopedSelectObject select{dc.get(), canvas.get()};
        const UniqueHbrush red{::CreateSolidBrush(below)};
        RECT all{0, 0, 10, 10};
        ::FillRect(dc.get(), &all, red.get());

        TRgn rgn{"Rgn1"};
        rgn.SetTransparent(transparent);
        rgn.SetAutoSize(true);
        rgn.SetRgnBitmap(DibSection(shape));
        rgn.SetBounds(2, 3, 0, 0);
        rgn.Paint(dc.get());
        EXPECT_EQ(::GetPixel(dc.get(), 2, 3), opaque);
        EXPECT_EQ(::GetPixel(dc.get(), 3, 3), transparent ? below : silver);
        EXPECT_EQ(::GetPixel(dc.get(), 2, 5), transparent ? below : silver);
        EXPECT_EQ(::GetPixel(dc.get(), 5, 4), opaque);
        EXPECT_EQ(::GetPixel(dc.get(), 1, 3), below); // outside the control
        EXPECT_EQ(::GetPixel(dc.get(), 6, 3), below);
    }
}

} // namespace
} // namespace quellix
