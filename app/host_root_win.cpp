#include "app/host_root_win.h"

#include "support/cp932_win.h"
#include "support/registry_win.h"

namespace quellix {

std::optional<std::wstring> HostRootPathValue() {
    const auto key = RegistryKeyReader::OpenCurrentUser("software\\Morvane\\Pexlan2\\etc");
    return key ? key->ReadWideString("RootPath") : std::nullopt;
}

std::string HostRootDir() {
    const std::optional<std::wstring> root = HostRootPathValue();
    if (!root) {
        return {};
    }
    return SjisPathFromWide(*root).value_or(SjisFromWide(*root));
}

} // namespace quellix
