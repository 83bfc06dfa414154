#include "support/errors.h"

#include "support/os.h"

namespace quellix {

std::string UnusableDirectoryText(const std::string& shown) {
    return "フォルダー[" + shown +
           "]は、名前に日本語版 Windows の文字コード (Shift_JIS) にない文字 (?) があるため使いません.";
}

std::string SystemErrorText(std::uint32_t code) {
    return os::ErrorMessage(code) + " (" + std::to_string(code) + ")";
}

void ThrowIoError(const std::string& what, std::uint32_t code) {
    throw IoError{what + ": " + SystemErrorText(code), code};
}

void ThrowLastIoError(const std::string& what) {
    ThrowIoError(what, os::LastError());
}

} // namespace quellix
