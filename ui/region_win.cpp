#include "ui/region_win.h"

#include "support/errors.h"
#include "ui/region.h"

#include <cstdlib>
#include <cstring>

namespace quellix {

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

BitmapInfo256 TopDownInfo(int width, int height, int bitsPerPixel) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    return info;
}

// The bitmap's pixels in the given format, rows top-down; false when the system cannot give them.
// A memory DC serves as well as the screen's, which under Wine is costly to get.
bool ReadPixels(HBITMAP bitmap, TBitmapImage& image, BitmapInfo256& info) {
    info = TopDownInfo(image.Width, image.Height, image.BitsPerPixel);
    const UniqueMemoryDc dc{::CreateCompatibleDC(nullptr)};
    return ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(image.Height), image.Bits.data(),
                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == image.Height;
}

} // namespace

TBitmapImage ImageFromBitmap(HBITMAP bitmap) {
    DIBSECTION section{};
    const int got = bitmap == nullptr ? 0 : ::GetObjectW(bitmap, sizeof section, &section);
    if (got == 0) {
        return {}; // no bitmap: the region computation reports it
    }
    const int width = section.dsBm.bmWidth;
    const int height = std::abs(section.dsBm.bmHeight);
    const bool isDib = got == static_cast<int>(sizeof section) && section.dsBm.bmBits != nullptr;
    const int sourceBits = isDib ? section.dsBmih.biBitCount : section.dsBm.bmBitsPixel * section.dsBm.bmPlanes;
    const int bits = isDib && sourceBits <= 8 ? sourceBits : 24;
    TBitmapImage image = MakeBitmapImage(width, height, bits);
    if (width <= 0 || height <= 0) {
        return image;
    }
    if (bits <= 8) {
        // Palette bitmaps keep their indices. Reading the pixels maps them through their colours,
        // so entries of the same colour would merge: while reading, every entry gets a colour
        // of its own; the bitmap's own colours are put back afterwards.
        const UniqueMemoryDc dc{::CreateCompatibleDC(nullptr)};
        RGBQUAD colors[256]{};
        UINT count = 0;
        {
            const ScopedSelectObject select{dc.get(), bitmap};
            count = ::GetDIBColorTable(dc.get(), 0, 256, colors);
            RGBQUAD distinct[256]{};
            for (UINT i = 0; i < count; ++i) {
                distinct[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), 0};
            }
            ::SetDIBColorTable(dc.get(), 0, count, distinct);
        }
        BitmapInfo256 info{};
        const bool read = ReadPixels(bitmap, image, info);
        {
            const ScopedSelectObject select{dc.get(), bitmap};
            ::SetDIBColorTable(dc.get(), 0, count, colors);
        }
        if (!read) {
            return {};
        }
        for (UINT i = 0; i < count; ++i) {
            image.Palette.push_back(TPaletteEntry{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue});
        }
        return image;
    }
    BitmapInfo256 info{};
    if (!ReadPixels(bitmap, image, info)) {
        return {};
    }
    return image;
}

TBitmapImage ColoursFromBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight == 0) {
        return {};
    }
    TBitmapImage image = MakeBitmapImage(info.bmWidth, std::abs(info.bmHeight), 24);
    BitmapInfo256 header{};
    if (!ReadPixels(bitmap, image, header)) {
        return {};
    }
    return image;
}

TRgn::TRgn(std::string name) : name_{std::move(name)} {}

SIZE TRgn::BitmapSize() const noexcept {
    BITMAP info{};
    if (!bitmap_ || ::GetObjectW(bitmap_.get(), sizeof info, &info) == 0) {
        return {0, 0};
    }
    return {info.bmWidth, std::abs(info.bmHeight)};
}

void TRgn::Invalidate() const {
    if (parent_ != nullptr) {
        const RECT bounds = BoundsRect();
        ::InvalidateRect(parent_, &bounds, FALSE);
    }
}

void TRgn::SetBounds(int left, int top, int width, int height) {
    const SIZE size = BitmapSize();
    if (autoSize_ && size.cx > 0 && size.cy > 0) {
        width = size.cx;
        height = size.cy;
    }
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TRgn::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    const SIZE size = BitmapSize();
    if (autoSize_ && size.cx > 0 && size.cy > 0) {
        SetBounds(left_, top_, size.cx, size.cy);
    }
}

void TRgn::SetTransparent(bool transparent) {
    if (transparent_ == transparent) {
        return;
    }
    transparent_ = transparent;
    if (transparent_ && bitmap_) {
        BuildMasks();
    } else {
        mask_.reset();
        maskedImage_.reset();
    }
    Invalidate();
}

void TRgn::SetRgnBitmap(UniqueHbitmap bitmap) {
    bitmap_ = std::move(bitmap);
    rgnData_.clear();
    region_.reset();
    mask_.reset();
    maskedImage_.reset();
    try {
        rgnData_ = BitmapToRgnData(ImageFromBitmap(bitmap_.get()));
        if (transparent_) {
            BuildMasks();
        }
        if (autoSize_) {
            SetAutoSize(true);
        }
    } catch (...) {
        rgnData_.clear();
        bitmap_.reset();
        mask_.reset();
        maskedImage_.reset();
        Invalidate();
        throw;
    }
    Invalidate();
}

void TRgn::SetRgnData(std::vector<std::uint8_t> data) {
    rgnData_ = std::move(data);
    region_.reset();
}

void TRgn::Loaded() {
    if (transparent_) {
        BuildMasks();
    }
    MakeRgn();
}

void TRgn::MakeRgn() {
    if (rgnData_.empty()) {
        throw QuellixError{name_ + " のﾘｰｼﾞｮﾝ情報がありません"};
    }
    const SIZE size = BitmapSize();
    if (size.cx <= 0 || size.cy <= 0) {
        throw QuellixError{name_ + ":RgnBitmap のﾋﾞｯﾄﾏｯﾌﾟが正しくありません"};
    }
    region_.reset();
    XFORM transform{};
    transform.eM11 = autoSize_ ? 1.0F : static_cast<FLOAT>(width_) / static_cast<FLOAT>(size.cx);
    transform.eM22 = autoSize_ ? 1.0F : static_cast<FLOAT>(height_) / static_cast<FLOAT>(size.cy);
    transform.eDx = static_cast<FLOAT>(left_);
    transform.eDy = static_cast<FLOAT>(top_);
    HRGN region = ::ExtCreateRegion(&transform, static_cast<DWORD>(rgnData_.size()),
                                    reinterpret_cast<const RGNDATA*>(rgnData_.data()));
    if (region == nullptr) {
        throw QuellixError{"ｳｨﾝﾄﾞｳﾘｰｼﾞｮﾝが作成できません"};
    }
    region_.reset(region);
}

void TRgn::ApplyParentRgn() {
    if (parent_ == nullptr) {
        throw QuellixError{"Parentが設定されていません"};
    }
    auto style = static_cast<DWORD>(::GetWindowLongPtrW(parent_, GWL_STYLE));
    if ((style & WS_CHILD) == 0) {
        // A form: no frame and no title bar, so its client area starts at the window's corner and
        // the region's coordinates are window coordinates. The client area keeps its size.
        RECT client{};
        ::GetClientRect(parent_, &client);
        style = (style & ~static_cast<DWORD>(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME)) | WS_POPUP;
        ::SetWindowLongPtrW(parent_, GWL_STYLE, static_cast<LONG_PTR>(style));
        auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(parent_, GWL_EXSTYLE));
        exStyle &= ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
        ::SetWindowLongPtrW(parent_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
        ::SetWindowPos(parent_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        // The bitmap covers the whole surface: the form paints no background of its own.
        ::SetClassLongPtrW(parent_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(::GetStockObject(HOLLOW_BRUSH)));
    }
    paintingEnabled_ = true;
    SetTransparent(false);
    if (!region_) {
        MakeRgn();
    }
    if (::SetWindowRgn(parent_, region_.get(), FALSE) == 0) {
        throw QuellixError{"ｳｨﾝﾄﾞｳﾘｰｼﾞｮﾝが作成できません"};
    }
    (void)region_.release(); // the window system owns it now
}

void TRgn::BuildMasks() {
    mask_.reset();
    maskedImage_.reset();
    const TBitmapImage image = ImageFromBitmap(bitmap_.get());
    const std::vector<std::uint8_t> transparent = TransparencyMask(image);
    const int width = image.Width;
    const int height = image.Height;

    // The mask: one bit a pixel, rows padded to 16 bits as CreateBitmap wants them.
    const int maskStride = (width + 15) / 16 * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride) * static_cast<std::size_t>(height));
    // The image: 24 bits, transparent pixels black.
    TBitmapImage colours = ColoursFromBitmap(bitmap_.get());
    if (colours.Width != width || colours.Height != height) {
        throw QuellixError{name_ + ":RgnBitmap のﾋﾞｯﾄﾏｯﾌﾟが正しくありません"};
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (transparent[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(x)] != 0) {
                maskBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(maskStride) +
                         static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                std::memset(colours.Bits.data() + static_cast<std::ptrdiff_t>(y) * colours.Stride() +
                                static_cast<std::ptrdiff_t>(x) * 3,
                            0, 3);
            }
        }
    }
    mask_.reset(::CreateBitmap(width, height, 1, 1, maskBits.data()));
    BitmapInfo256 info = TopDownInfo(width, height, 24);
    void* pixels = nullptr;
    maskedImage_.reset(
        ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!mask_ || !maskedImage_ || pixels == nullptr) {
        mask_.reset();
        maskedImage_.reset();
        throw QuellixError{"ﾒﾓﾘ獲得に失敗しました"};
    }
    std::memcpy(pixels, colours.Bits.data(), colours.Bits.size());
}

void TRgn::Paint(HDC dc) const {
    const SIZE size = BitmapSize();
    if (!paintingEnabled_ || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    const UniqueMemoryDc source{::CreateCompatibleDC(dc)};
    if (!transparent_) {
        const ScopedSelectObject select{source.get(), bitmap_.get()};
        if (width_ == size.cx && height_ == size.cy) {
            ::BitBlt(dc, left_, top_, width_, height_, source.get(), 0, 0, SRCCOPY);
        } else {
            const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, left_, top_, width_, height_, source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
            ::SetStretchBltMode(dc, oldMode);
        }
        return;
    }
    if (!mask_ || !maskedImage_) {
        return;
    }
    // What lies below, AND the mask (keeps it where transparent), XOR the blacked-out image.
    const UniqueMemoryDc work{::CreateCompatibleDC(dc)};
    const UniqueHbitmap below{::CreateCompatibleBitmap(dc, size.cx, size.cy)};
    const ScopedSelectObject selectWork{work.get(), below.get()};
    ::SetTextColor(work.get(), RGB(0, 0, 0));
    ::SetBkColor(work.get(), RGB(255, 255, 255));
    ::BitBlt(work.get(), 0, 0, size.cx, size.cy, dc, left_, top_, SRCCOPY);
    {
        const ScopedSelectObject select{source.get(), mask_.get()};
        ::BitBlt(work.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCAND);
    }
    {
        const ScopedSelectObject select{source.get(), maskedImage_.get()};
        ::BitBlt(work.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCINVERT);
    }
    ::BitBlt(dc, left_, top_, size.cx, size.cy, work.get(), 0, 0, SRCCOPY);
}

} // namespace quellix
