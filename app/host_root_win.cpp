#include "app/host_root_win.h"

#include "support/cp932_win.h"
#include "support/registry_win.h"

namespace quellix {

std::optional<std::wstring> HostRootPathValue() {
    const auto key = RegistryKeyReader::OpenCurrentUser(R"(software\Morvane\Pexlan2\etc)");
    return key ? key->ReadExpandedString("RootPath") : std::nullopt;
}

// A missing key or value, or a value that is not a string, leaves the root directory empty. A name
// that code page 932 cannot hold is taken by its short name, the same directory. Without one it
// keeps a "?" for each such character: the log, which lies there, cannot tell it, and no file can
// be written under that name, so none goes elsewhere either.
std::string HostRootDir() {
    const std::optional<std::wstring> root = HostRootPathValue();
    if (!root) {
        return {};
    }
    return SjisPathFromWide(*root).value_or(SjisFromWide(*root));
}

} // namespace quellix
