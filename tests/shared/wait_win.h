// Waiting in the Windows tests. A wait ends on the event it waits for; its limit only ends a test
// whose event never comes, and lies far beyond what a loaded two-core machine takes: there a
// whole case has been seen to take over 25 s where it takes 5 s alone, and one fixed 20 s wait
// inside it was missed. The test bed ends a case at 280 s (cmake/windows.cmake), so one limit
// for every wait, well below that, still lets a case report what it waited for.
#pragma once

#include <windows.h>

namespace quellix::testing_support {

inline constexpr DWORD kEventLimitMs = 120000;

// Polls `condition` until it holds (true) or the limit has passed (false).
template <typename Condition> bool WaitUntil(Condition condition, DWORD limitMs = kEventLimitMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > limitMs) {
            return condition();
        }
        ::Sleep(2);
    }
    return true;
}

} // namespace quellix::testing_support
