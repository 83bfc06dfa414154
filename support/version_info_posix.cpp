// Native builds have no version resources: every field stays empty.
#include "support/version_info.h"

namespace quellix {

void ReadVersionResource(const std::string& /*path*/, TVersion& /*version*/) {}

} // namespace quellix
