// Bitmap buttons: owner-drawn push buttons showing a small glyph beside their caption. The
// glyph's bottom-left pixel colour is transparent; a disabled button shows it greyed.
#pragma once

#include "support/unique_handle_win.h"

#include <windows.h>

namespace quellix {

class TGlyph {
public:
    TGlyph() = default;
    // Builds the glyph's two looks from the bitmap (which stays the caller's).
    explicit TGlyph(HBITMAP bitmap);

    [[nodiscard]] explicit operator bool() const noexcept { return static_cast<bool>(normal_); }
    [[nodiscard]] int Width() const noexcept { return width_; }
    [[nodiscard]] int Height() const noexcept { return height_; }
    void Draw(HDC dc, int left, int top, bool enabled) const;

private:
    UniqueHbitmap normal_;   // 32 bits with alpha: transparent pixels have alpha 0
    UniqueHbitmap disabled_; // the same in grey
    int width_ = 0;
    int height_ = 0;
};

// Draws an owner-drawn push button: its face, then the glyph and the caption side by side and
// centred together, one pixel lower and to the right while pressed, and the focus rectangle.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const TGlyph* glyph);

} // namespace quellix
