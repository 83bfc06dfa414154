#include "channels/locale_compare.h"

#include "support/cp932_win.h"

#include <windows.h>

#include <climits>

namespace quellix {

bool LocaleTextEquals(std::string_view a, std::string_view b) {
    // Equal bytes always collate equal; most look-ups end here without a conversion.
    if (a == b) {
        return true;
    }
    const std::wstring wideA = WideFromSjis(a);
    const std::wstring wideB = WideFromSjis(b);
    if (wideA.size() > INT_MAX || wideB.size() > INT_MAX) {
        return false;
    }
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                            static_cast<int>(wideB.size())) == CSTR_EQUAL;
}

} // namespace quellix
