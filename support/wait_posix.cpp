// Native builds have no window to keep responsive: the wait only sleeps.
#include "support/wait.h"

#include "support/os.h"

#include <ctime>

namespace quellix {

namespace {
double MonotonicMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}
} // namespace

void WaitMinutes(double minutes) {
    const double deadline = MonotonicMilliseconds() + minutes * 60000.0; // a double: no overflow for any input
    for (double now = MonotonicMilliseconds(); now < deadline; now = MonotonicMilliseconds()) {
        os::SleepMilliseconds(deadline - now < 100.0 ? static_cast<unsigned>(deadline - now) + 1 : 100U);
    }
}

} // namespace quellix
