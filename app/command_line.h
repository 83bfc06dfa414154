// The decision between an import run and the settings window, and the paths derived from the
// command line and the host's root directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellix {

enum class RunMode { Settings, Import, Check };

// The arguments that follow the program name on a whole command line, the way the host writes it
// for a directory: a double quote only opens or closes quoting, a backslash is an ordinary
// character (a Windows path holds no double quote), blanks and tabs outside quotes separate
// arguments. The program name ends at its closing quote when it starts with one, otherwise at the
// first blank or tab. In the first argument, the reserve directory, a run of backslashes at the
// end of a path counts as one, so a host that doubles the last backslash gets the same directory;
// an argument of backslashes alone is kept as it is.
[[nodiscard]] std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// `arguments` excludes the program name. Exactly two arguments open the settings window, as the host
// relies on, unless the second, trimmed and in lower case, is "/check": the check that changes nothing.
[[nodiscard]] RunMode DecideMode(const std::vector<std::string>& arguments);

// The first argument exactly as passed with a trailing backslash; a lone "\" falls back to
// root\reserve\GigaPocket\.
[[nodiscard]] std::string ResolveReserveDir(std::string_view firstArgument, std::string_view rootDir);

// root\ + name: the files the program keeps in the host's root directory.
[[nodiscard]] std::string RootFile(std::string_view rootDir, std::string_view name);

} // namespace quellix
