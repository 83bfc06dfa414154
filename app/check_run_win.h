// The check that changes nothing: the chain of an import run followed over its own steps, without
// a window, a written file or a log line, and one report opened with the shell.
#pragma once

#include <string>
#include <vector>

namespace quellix {

// `arguments` excludes the program name; `settingsSection` is the section of pex.ini where the
// settings window keeps its channel-file directory, `instanceMutex` the name that a running
// instance holds. The report goes to the user's temporary folder and is opened with the shell,
// or with the program that QUELLIX_CHECK_VIEWER names (for tests: no real editor left running).
void RunCheck(const std::vector<std::string>& arguments, const std::string& settingsSection,
              const wchar_t* instanceMutex);

} // namespace quellix
