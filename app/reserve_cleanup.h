// The first step of an import run: the previous run's .tvpi files leave the reserve directory.
#pragma once

#include "support/run_control.h"

#include <string>

namespace quellix {

// Deletes every file matching reserveDir + "*.tvpi" (hidden and read-only ones too; a file that
// cannot be deleted is passed over) until the list ends or a stop or skip is requested, pumping
// messages after each file; then clears the skip request. Does nothing for "" or "\".
void DeleteOldReservationFiles(const std::string& reserveDir, TRunControl& run);

} // namespace quellix
