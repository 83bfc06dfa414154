// Read-only access to keys of HKEY_CURRENT_USER: the host's root directory and the tuner
// software's settings. Nothing is ever written to the registry.
#pragma once

#include "support/unique_handle_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

class RegistryKeyReader {
public:
    // The key `subKey` (Shift_JIS, relative to HKEY_CURRENT_USER) opened for reading; nullopt
    // when it cannot be opened.
    [[nodiscard]] static std::optional<RegistryKeyReader> OpenCurrentUser(std::string_view subKey);

    // The type of the value (REG_SZ, REG_DWORD, ...); nullopt when the value does not exist.
    [[nodiscard]] std::optional<DWORD> ValueType(std::string_view name) const;
    // A REG_SZ or REG_EXPAND_SZ value as stored (not expanded), in Shift_JIS; nullopt when the
    // value is missing, of another type or unreadable.
    [[nodiscard]] std::optional<std::string> ReadString(std::string_view name) const;
    // The same value as the system holds it, before any conversion to Shift_JIS.
    [[nodiscard]] std::optional<std::wstring> ReadWideString(std::string_view name) const;
    // The same with a REG_EXPAND_SZ value's %NAME% references to environment variables expanded,
    // as that type asks of every reader (an undefined name stays as it is): a folder setting.
    [[nodiscard]] std::optional<std::wstring> ReadExpandedString(std::string_view name) const;
    // A REG_DWORD value; nullopt when it is missing, of another type or unreadable.
    [[nodiscard]] std::optional<std::uint32_t> ReadDword(std::string_view name) const;

private:
    [[nodiscard]] std::optional<std::wstring> ReadWideString(std::string_view name, DWORD& type) const;
    explicit RegistryKeyReader(UniqueHkey key) noexcept : key_{std::move(key)} {}

    UniqueHkey key_;
};

} // namespace quellix
