// The tuner's settings in the registry: its area number and its directory.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quellix {

struct TunerSettings {
    int areaNumber = 0;
    std::vector<std::string> tunerDirs;
    std::optional<std::string> unusableDir; // a "Dir" whose name code page 932 cannot hold, as it can show it
};

// The area number (LocationIdx) and the directories the channel file's folder is looked for in
// ("Dir", or the defaults when the tuner's key is missing).
[[nodiscard]] TunerSettings ReadTunerSettings();

} // namespace quellix
