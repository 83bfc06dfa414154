// The program's error type: a Shift_JIS message that the application's error hook writes to the log.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quellix {

class QuellixError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An input/output failure carrying the operating system's error code.
class IoError : public QuellixError {
public:
    IoError(const std::string& message, std::uint32_t code) : QuellixError{message}, code_{code} {}
    [[nodiscard]] std::uint32_t Code() const noexcept { return code_; }

private:
    std::uint32_t code_;
};

// The log's text for a directory whose name does not survive code page 932 and so is not used;
// `shown` is the name as code page 932 can show it ("?" for each character it cannot hold).
[[nodiscard]] std::string UnusableDirectoryText(const std::string& shown);

// The system's message for an error code with the code behind it: "<message> (<code>)".
[[nodiscard]] std::string SystemErrorText(std::uint32_t code);

// Raises an IoError for `code`, with `what` (a path, say) in front.
[[noreturn]] void ThrowIoError(const std::string& what, std::uint32_t code);

// Raises an IoError for the boundary's last error, with `what` (a path, say) in front.
[[noreturn]] void ThrowLastIoError(const std::string& what);

} // namespace quellix
