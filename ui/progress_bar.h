// Where a classic progress bar's blocks end: the filled length, rounded up to whole blocks and
// gaps, of a bar `width` by `height` pixels (inside its one-pixel margin) at `position` in the
// range [low, high].
#pragma once

namespace quellix {

struct TProgressBlocks {
    int blockWidth = 0; // two thirds of the height
    int gap = 0;
    int filledEnd = 0; // pixels from the left edge, at most the width
};

TProgressBlocks ProgressBlocks(int width, int height, int low, int high, int position);

} // namespace quellix
