#include "support/registry_win.h"

#include "support/cp932_win.h"

#include <algorithm>
#include <cwchar>

namespace quellix {

std::optional<RegistryKeyReader> RegistryKeyReader::OpenCurrentUser(std::string_view subKey) {
    UniqueHkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, WideFromSjis(subKey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryKeyReader{std::move(key)};
}

std::optional<DWORD> RegistryKeyReader::ValueType(std::string_view name) const {
    DWORD type = 0;
    if (::RegQueryValueExW(key_.get(), WideFromSjis(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return type;
}

std::optional<std::string> RegistryKeyReader::ReadString(std::string_view name) const {
    const std::optional<std::wstring> value = ReadWideString(name);
    return value ? std::optional<std::string>{SjisFromWide(*value)} : std::nullopt;
}

std::optional<std::wstring> RegistryKeyReader::ReadWideString(std::string_view name) const {
    DWORD type = 0;
    return ReadWideString(name, type);
}

std::optional<std::wstring> RegistryKeyReader::ReadExpandedString(std::string_view name) const {
    DWORD type = 0;
    std::optional<std::wstring> value = ReadWideString(name, type);
    if (!value || type != REG_EXPAND_SZ) {
        return value;
    }
    // The environment can grow between the two calls: ask again until the buffer is large enough.
    std::wstring expanded(value->size() + 1, L'\0');
    for (;;) {
        const DWORD needed =
            ::ExpandEnvironmentStringsW(value->c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) {
            return value; // cannot be expanded: the value as stored names what it names
        }
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return expanded;
        }
        expanded.assign(needed, L'\0');
    }
}

std::optional<std::wstring> RegistryKeyReader::ReadWideString(std::string_view name, DWORD& type) const {
    const std::wstring wideName = WideFromSjis(name);
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
    std::wstring value;
    // The value can grow between the two calls: ask again until the buffer is large enough.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            return std::nullopt;
        }
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                                    &size);
        if (status == ERROR_SUCCESS) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                return std::nullopt;
            }
            // A stored string need not end in a NUL; the extra character above makes room for one.
            value.resize(std::min<std::size_t>(size / sizeof(wchar_t), value.size()));
            value.resize(wcsnlen(value.c_str(), value.size()));
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> RegistryKeyReader::ReadDword(std::string_view name) const {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExW(key_.get(), WideFromSjis(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

} // namespace quellix
