#include "ui/glyph_button_win.h"

#include "ui/region.h"
#include "ui/region_win.h"

#include <cstring>
#include <string>

namespace quellix {

namespace {

constexpr int kSpacing = 4; // between the glyph and the caption

UniqueHbitmap AlphaBitmap(int width, int height, const std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueHbitmap bitmap{::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (bitmap && bits != nullptr) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    }
    return bitmap;
}

} // namespace

TGlyph::TGlyph(HBITMAP bitmap) {
    const TBitmapImage image = ImageFromBitmap(bitmap); // palette indices, or 24-bit colours
    if (image.Width <= 0 || image.Height <= 0) {
        return;
    }
    const std::vector<std::uint8_t> transparent = TransparencyMask(image);
    const auto count = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height);
    std::vector<std::uint32_t> normal(count);
    std::vector<std::uint32_t> disabled(count);
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width) + static_cast<std::size_t>(x);
            if (transparent[i] != 0) {
                continue; // fully transparent: all zero, as the blend's premultiplied form wants it
            }
            const TPaletteEntry colour = ColourAt(image, x, y);
            normal[i] = 0xFF000000U | (static_cast<std::uint32_t>(colour.Red) << 16) |
                        (static_cast<std::uint32_t>(colour.Green) << 8) | colour.Blue;
            // Grey, lightened: the shape stays recognisable without looking pressable.
            const unsigned luminance = (colour.Red * 77U + colour.Green * 150U + colour.Blue * 29U) >> 8;
            const std::uint32_t grey = 110U + luminance * 120U / 255U;
            disabled[i] = 0xFF000000U | (grey << 16) | (grey << 8) | grey;
        }
    }
    normal_ = AlphaBitmap(image.Width, image.Height, normal);
    disabled_ = AlphaBitmap(image.Width, image.Height, disabled);
    if (normal_ && disabled_) {
        width_ = image.Width;
        height_ = image.Height;
    } else {
        normal_.reset();
        disabled_.reset();
    }
}

void TGlyph::Draw(HDC dc, int left, int top, bool enabled) const {
    if (!normal_) {
        return;
    }
    const UniqueMemoryDc source{::CreateCompatibleDC(dc)};
    const ScopedSelectObject select{source.get(), enabled ? normal_.get() : disabled_.get()};
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, left, top, width_, height_, source.get(), 0, 0, width_, height_, blend);
}

void DrawGlyphButton(const DRAWITEMSTRUCT& item, const TGlyph* glyph) {
    const HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));

    const int length = ::GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(::GetWindowTextW(item.hwndItem, caption.data(), length + 1)));
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const ScopedSelectObject selectFont{dc, font != nullptr ? static_cast<HGDIOBJ>(font)
                                                            : ::GetStockObject(DEFAULT_GUI_FONT)};
    RECT text{0, 0, 0, 0};
    if (!caption.empty()) {
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_SINGLELINE);
    }
    const bool hasGlyph = glyph != nullptr && *glyph;
    const int glyphWidth = hasGlyph ? glyph->Width() : 0;
    const int gap = hasGlyph && !caption.empty() ? kSpacing : 0;
    const int total = glyphWidth + gap + text.right;
    const int shift = pressed ? 1 : 0;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    int x = item.rcItem.left + (width - total) / 2 + shift;
    if (hasGlyph) {
        glyph->Draw(dc, x, item.rcItem.top + (height - glyph->Height()) / 2 + shift, enabled);
        x += glyphWidth + gap;
    }
    if (!caption.empty()) {
        ::SetBkMode(dc, TRANSPARENT);
        RECT at{x, item.rcItem.top + (height - text.bottom) / 2 + shift, 0, 0};
        at.right = at.left + text.right;
        at.bottom = at.top + text.bottom;
        if (enabled) {
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &at, DT_SINGLELINE | DT_NOCLIP);
        } else {
            // Engraved: a highlight one pixel down and right, the grey text above it.
            RECT highlight = at;
            ::OffsetRect(&highlight, 1, 1);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &highlight, DT_SINGLELINE | DT_NOCLIP);
            ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
            ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &at, DT_SINGLELINE | DT_NOCLIP);
        }
    }
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(dc, &focus);
    }
}

} // namespace quellix
