// The command-line splitting on arbitrary command lines, and the mode decision and the
// reserve-directory rules on arbitrary argument lists.
#include "app/command_line.h"
#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input as a command line: quotes never reach an argument, and the reserve
    // directory never ends in two backslashes, unless it is nothing but backslashes (kept as it
    // is, so that it names no directory).
    const std::vector<std::string> split =
        quellix::SplitCommandLine(std::string_view{reinterpret_cast<const char*>(data), size});
    for (const std::string& argument : split) {
        if (argument.find('"') != std::string::npos) {
            std::abort();
        }
    }
    if (!split.empty() && split.front().find_first_not_of('\\') != std::string::npos &&
        quellix::EndsWithPathDelimiter(split.front()) &&
        quellix::EndsWithPathDelimiter(std::string_view{split.front()}.substr(0, split.front().size() - 1))) {
        std::abort();
    }
    if (quellix::DecideMode(split) == quellix::RunMode::Import) {
        (void)quellix::ResolveReserveDir(split.front(), "C:\\Host");
    }

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
