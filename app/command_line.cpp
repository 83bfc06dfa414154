#include "app/command_line.h"

#include "support/text.h"

namespace quellix {

RunMode DecideMode(const std::vector<std::string>& arguments) {
    const auto normalised = [&](std::size_t i) { return Trim(AsciiLower(arguments[i])); };
    if (arguments.empty() || normalised(0).empty() || arguments.size() == 2) {
        return RunMode::Settings;
    }
    if (arguments.size() >= 3 && normalised(1) == "/c") {
        return RunMode::Settings;
    }
    return RunMode::Import;
}

std::string ResolveReserveDir(std::string_view firstArgument, std::string_view rootDir) {
    std::string dir = IncludeTrailingBackslash(firstArgument);
    if (dir == "\\") {
        dir = IncludeTrailingBackslash(rootDir) + "reserve\\" + "GigaPocket" + "\\";
    }
    return dir;
}

std::string RootFile(std::string_view rootDir, std::string_view name) {
    return IncludeTrailingBackslash(rootDir) + std::string{name};
}

} // namespace quellix
