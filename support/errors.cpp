#include "support/errors.h"

#include "support/os.h"

namespace quellix {

std::string UnusableDirectoryText(const std::string& shown) {
    return "ディレクトリ[" + shown + "]はShift_JISで表せないので使えません.";
}

void ThrowLastIoError(const std::string& what) {
    const std::uint32_t code = os::LastError();
    throw IoError{what + ": " + os::ErrorMessage(code) + " (" + std::to_string(code) + ")", code};
}

} // namespace quellix
