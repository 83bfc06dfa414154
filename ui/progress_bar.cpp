#include "ui/progress_bar.h"

#include <algorithm>
#include <cstdint>

namespace quellix {

namespace {

constexpr int kBlockGap = 2;

// a * b / c rounded to the nearest integer, as the system's MulDiv does, for a, b >= 0 and c > 0.
int MulDivRounded(int a, int b, int c) {
    return static_cast<int>((static_cast<std::int64_t>(a) * b + c / 2) / c);
}

} // namespace

TProgressBlocks ProgressBlocks(int width, int height, int low, int high, int position) {
    TProgressBlocks blocks;
    blocks.blockWidth = MulDivRounded(std::max(height, 0), 2, 3);
    blocks.gap = kBlockGap;
    if (width <= 0 || height <= 0 || high <= low) {
        return blocks;
    }
    position = std::clamp(position, low, high);
    const int filled = MulDivRounded(position - low, width, high - low);
    const int step = blocks.blockWidth + blocks.gap;
    blocks.filledEnd = step > 0 ? std::min((filled + step - 1) / step * step, width) : filled;
    return blocks;
}

} // namespace quellix
