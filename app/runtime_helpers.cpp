#include "app/runtime_helpers.h"

#include "support/os.h"
#include "support/text.h"

namespace quellix {

std::string MakeUniqueName(const std::string& name) {
    const std::size_t dot = LastDelimiter(name, ".\\:");
    const bool hasExtension = dot != std::string::npos && name[dot] == '.';
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string{};
    std::string result = name;
    for (long long n = 1; os::FileExists(result); ++n) {
        result = stem + "(" + std::to_string(n) + ")" + extension;
    }
    return result;
}

} // namespace quellix
