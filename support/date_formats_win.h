// The user's date and time formats from the system's locale settings.
#pragma once

#include "support/date_formats.h"

namespace quellix {

// The user-default locale's short-date pattern, time format and morning and afternoon
// designators, with the user's own changes, in Shift_JIS; a setting that cannot be read stays
// empty.
[[nodiscard]] DateTimeFormats UserDateTimeFormats();

} // namespace quellix
