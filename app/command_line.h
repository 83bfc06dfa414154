// The decision between an import run and the settings window, and the paths derived from the
// command line and the host's root directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellix {

enum class RunMode { Settings, Import };

// `arguments` excludes the program name.
[[nodiscard]] RunMode DecideMode(const std::vector<std::string>& arguments);

// The first argument exactly as passed with a trailing backslash; a lone "\" falls back to
// root\reserve\GigaPocket\.
[[nodiscard]] std::string ResolveReserveDir(std::string_view firstArgument, std::string_view rootDir);

// root\ + name: the files the program keeps in the host's root directory.
[[nodiscard]] std::string RootFile(std::string_view rootDir, std::string_view name);

} // namespace quellix
