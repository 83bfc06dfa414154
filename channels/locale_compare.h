// Equality of two table values as the table look-up sees it: on Windows the collation of the
// user's default locale (case, kana type and character width all count), elsewhere byte for byte.
#pragma once

#include <string_view>

namespace quellix {

[[nodiscard]] bool LocaleTextEquals(std::string_view a, std::string_view b);

} // namespace quellix
