// Bitmap files of any content: the reader and the region computation raise or succeed, never crash.
#include "support/errors.h"
#include "ui/bitmap_image.h"
#include "ui/region.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes{reinterpret_cast<const char*>(data), size};
    try {
        const quellix::TBitmapImage image = quellix::ReadBitmapFile(bytes);
        const std::vector<std::uint8_t> region = quellix::BitmapToRgnData(image);
        (void)quellix::DecodeRgnData(region);
        (void)quellix::TransparencyMask(image);
    } catch (const quellix::QuellixError&) {
    }
    return 0;
}
