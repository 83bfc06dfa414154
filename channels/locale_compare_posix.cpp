// Outside Windows there is no user collation to follow: values match when their bytes do.
#include "channels/locale_compare.h"

namespace quellix {

bool LocaleTextEquals(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace quellix
