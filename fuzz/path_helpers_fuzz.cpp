// The Shift_JIS-aware path helpers on arbitrary bytes: no crash, and the pieces fit together.
#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string withSlash = quellix::IncludeTrailingBackslash(path);
    if (!quellix::EndsWithPathDelimiter(withSlash) && withSlash.back() != '\\') {
        std::abort();
    }
    if (quellix::EndsWithPathDelimiter(path) && withSlash != path) {
        std::abort(); // one that ends in a backslash gets none added
    }
    const std::string dir = quellix::ExtractFilePath(path);
    const std::string name = quellix::ExtractFileName(path);
    if (dir + name != path) {
        std::abort(); // directory part and last component make up the whole path
    }
    (void)quellix::DeckNameFromArgument(path);
    (void)quellix::Trim(path);
    if (quellix::AsciiLower(path).size() != path.size()) {
        std::abort();
    }
    const std::size_t at = quellix::SjisPos("\\", path);
    if (at > 0 && path[at - 1] != '\\') {
        std::abort();
    }
    (void)quellix::Copy(path, static_cast<long long>(size % 7) - 2, static_cast<long long>(size % 5) - 1);
    return 0;
}
