#include "support/date_formats_win.h"

#include "support/cp932_win.h"

#include <windows.h>

namespace quellix {

namespace {

std::string LocaleText(LCTYPE type) {
    const int size = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int got = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text.data(), size);
    if (got <= 1) {
        return {};
    }
    text.resize(static_cast<std::size_t>(got - 1)); // without the terminating zero
    return SjisFromWide(text);
}

} // namespace

DateTimeFormats UserDateTimeFormats() {
    return {LocaleText(LOCALE_SSHORTDATE), LocaleText(LOCALE_STIMEFORMAT), LocaleText(LOCALE_S1159),
            LocaleText(LOCALE_S2359)};
}

} // namespace quellix
