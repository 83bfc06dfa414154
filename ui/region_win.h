// TRgn: a bitmap drawn on its parent window's surface that gives the parent the bitmap's shape.
// It has no window of its own; the parent calls Paint from its paint handler.
#pragma once

#include "support/unique_handle_win.h"
#include "ui/bitmap_image.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quellix {

// The pixels of a bitmap as the region computation sees them: 1-, 4- and 8-bit bitmaps with
// their palette indices, every other one (device-dependent, 16 or 32 bits) converted to 24 bits.
[[nodiscard]] TBitmapImage ImageFromBitmap(HBITMAP bitmap);

// The colours of a bitmap's pixels, 24 bits, rows top-down; an empty image when it has none.
[[nodiscard]] TBitmapImage ColoursFromBitmap(HBITMAP bitmap);

class TRgn {
public:
    explicit TRgn(std::string name);
    TRgn(const TRgn&) = delete;
    TRgn& operator=(const TRgn&) = delete;
    ~TRgn() = default;

    [[nodiscard]] const std::string& Name() const noexcept { return name_; }

    void SetParent(HWND parent) noexcept { parent_ = parent; }
    [[nodiscard]] HWND Parent() const noexcept { return parent_; }

    // Position and size on the parent's surface; with AutoSize on, a bitmap's size wins.
    void SetBounds(int left, int top, int width, int height);
    [[nodiscard]] RECT BoundsRect() const noexcept { return {left_, top_, left_ + width_, top_ + height_}; }
    void SetAutoSize(bool autoSize);
    [[nodiscard]] bool AutoSize() const noexcept { return autoSize_; }
    void SetTransparent(bool transparent);
    [[nodiscard]] bool Transparent() const noexcept { return transparent_; }

    // Takes the bitmap and computes the region data from it (the old data and region handle are
    // dropped). When that fails the data and the bitmap are both cleared and the error passes on.
    void SetRgnBitmap(UniqueHbitmap bitmap);
    [[nodiscard]] HBITMAP RgnBitmap() const noexcept { return bitmap_.get(); }

    // The region-data block, as BitmapToRgnData makes it and as a stored shape is kept.
    [[nodiscard]] const std::vector<std::uint8_t>& RgnData() const noexcept { return rgnData_; }
    void SetRgnData(std::vector<std::uint8_t> data);

    // Everything is set: builds the painting masks of a transparent control, then the region.
    void Loaded();
    // Makes the region handle from the data, scaled to the control's size and shifted to its
    // position, so it is in the parent's coordinates.
    void MakeRgn();
    // Gives the parent window the shape: a top-level parent loses its frame and title bar (its
    // client area keeps its size) and its background brush; the window system takes the region.
    void ApplyParentRgn();
    // The region handle not yet handed to a window, or null.
    [[nodiscard]] HRGN RegionHandle() const noexcept { return region_.get(); }

    // Draws the bitmap at the control's bounds on the parent's surface: stretched over them, or,
    // when transparent, with the transparent-colour pixels showing what lies below.
    void Paint(HDC dc) const;

private:
    void BuildMasks();
    void Invalidate() const;
    [[nodiscard]] SIZE BitmapSize() const noexcept;

    std::string name_;
    HWND parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 105;
    int height_ = 105;
    bool autoSize_ = false;
    bool transparent_ = false;
    bool paintingEnabled_ = true;
    UniqueHbitmap bitmap_;
    std::vector<std::uint8_t> rgnData_;
    UniqueHrgn region_;
    UniqueHbitmap mask_;        // 1 bit: transparent pixels white, the others black
    UniqueHbitmap maskedImage_; // the bitmap with its transparent pixels black
};

} // namespace quellix
