#include "app/reserve_cleanup.h"

#include "support/os.h"

namespace quellix {

void DeleteOldReservationFiles(const std::string& reserveDir, TRunControl& run) {
    if (reserveDir.empty() || reserveDir == "\\") {
        return;
    }
    {
        os::FileEnumerator entries{reserveDir + "*.tvpi"};
        std::string name;
        while (!run.FStopRequested && !run.FSkipRequested && entries.Next(name)) {
            os::RemoveFile(reserveDir + name);
            run.Pump();
        }
    }
    run.FSkipRequested = false;
}

} // namespace quellix
