#include "app/command_line.h"

#include "support/text.h"

namespace quellix {

namespace {

constexpr bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// Blanks, tabs and double quotes are never the second byte of a Shift_JIS character, so the
// command line splits byte by byte; only the backslash needs the double-byte view, and it is
// looked at only when the end of the first argument is collapsed.
std::size_t SkipProgramName(std::string_view line) {
    std::size_t at = 0;
    if (!line.empty() && line.front() == '"') {
        at = line.find('"', 1);
        return at == std::string_view::npos ? line.size() : at + 1;
    }
    while (at < line.size() && !IsBlank(line[at])) {
        ++at;
    }
    return at;
}

// Only a run after something else: an argument of backslashes alone names no directory, and must
// not become the lone "\" that stands for the root's reserve\GigaPocket\ (whose files the run
// would then delete).
void CollapseTrailingBackslashes(std::string& argument) {
    if (argument.find_first_not_of('\\') == std::string::npos) {
        return;
    }
    while (argument.size() >= 2 && EndsWithPathDelimiter(argument) &&
           EndsWithPathDelimiter(std::string_view{argument}.substr(0, argument.size() - 1))) {
        argument.pop_back();
    }
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::size_t at = SkipProgramName(commandLine);
    for (;;) {
        while (at < commandLine.size() && IsBlank(commandLine[at])) {
            ++at;
        }
        if (at >= commandLine.size()) {
            break;
        }
        std::string argument;
        bool quoted = false;
        for (; at < commandLine.size() && (quoted || !IsBlank(commandLine[at])); ++at) {
            if (commandLine[at] == '"') {
                quoted = !quoted;
            } else {
                argument += commandLine[at];
            }
        }
        arguments.push_back(std::move(argument));
    }
    if (!arguments.empty()) {
        CollapseTrailingBackslashes(arguments.front());
    }
    return arguments;
}

RunMode DecideMode(const std::vector<std::string>& arguments) {
    const auto normalised = [&](std::size_t i) { return Trim(AsciiLower(arguments[i])); };
    if (arguments.size() == 2 && normalised(1) == "/check") {
        return RunMode::Check;
    }
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
