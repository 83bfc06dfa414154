// The mode decision and the reserve-directory rules on arbitrary argument lists.
#include "app/command_line.h"
#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Arguments are separated by NUL bytes; the last piece is the root directory.
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            pieces.emplace_back();
        } else {
            pieces.back() += static_cast<char>(data[i]);
        }
    }
    const std::string root = pieces.back();
    pieces.pop_back();
    const quellix::RunMode mode = quellix::DecideMode(pieces);
    if (pieces.empty() && mode != quellix::RunMode::Settings) {
        std::abort();
    }
    if (!pieces.empty()) {
        const std::string dir = quellix::ResolveReserveDir(pieces.front(), root);
        if (!quellix::EndsWithPathDelimiter(dir) && dir.back() != '\\') {
            std::abort(); // the reserve directory always ends in a backslash byte
        }
        (void)quellix::DeckNameFromArgument(pieces.front());
    }
    (void)quellix::RootFile(root, "pex.log");
    return 0;
}
