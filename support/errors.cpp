#include "support/errors.h"

#include "support/os.h"

namespace quellix {

void ThrowLastIoError(const std::string& what) {
    const std::uint32_t code = os::LastError();
    throw IoError{what + ": " + os::ErrorMessage(code) + " (" + std::to_string(code) + ")", code};
}

} // namespace quellix
