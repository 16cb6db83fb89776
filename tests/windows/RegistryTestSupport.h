// Reading and writing the plug-in's registry values directly, as a user (or another program)
// could, for the tests of the registry store and of the built DLL.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

// The plug-in's key below HKEY_CURRENT_USER.
inline constexpr const wchar_t* kProductKey = L"SOFTWARE\\Orvatone\\OrvSympharon";

struct RegistryValue
{
    DWORD type = REG_NONE;
    std::vector<unsigned char> bytes;
    RegistryValue() = default;
    RegistryValue(DWORD t, std::vector<unsigned char> b) : type(t), bytes(std::move(b)) {}
    bool operator==(const RegistryValue& o) const { return type == o.type && bytes == o.bytes; }
};

inline void clearKey(const std::wstring& key)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

inline void clearProductKey()
{
    clearKey(kProductKey);
}

// Type REG_NONE with no bytes when the value does not exist.
inline RegistryValue readRegistryValue(const std::wstring& key, const wchar_t* name)
{
    RegistryValue v;
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return v;
    DWORD size = 0;
    if (RegQueryValueExW(k, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS)
    {
        v.bytes.resize(size);
        RegQueryValueExW(k, name, nullptr, &v.type, v.bytes.data(), &size);
        v.bytes.resize(size);
    }
    else
        v.type = REG_NONE;
    RegCloseKey(k);
    return v;
}

inline void writeRegistryValue(const std::wstring& key, const wchar_t* name, DWORD type,
                               const void* data, size_t size)
{
    HKEY k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(k);
}

inline RegistryValue productValue(const wchar_t* name)
{
    return readRegistryValue(kProductKey, name);
}

inline bool hasProductValue(const wchar_t* name)
{
    return productValue(name).type != REG_NONE;
}

// A REG_SZ value's bytes: the UTF-16 text and its terminator.
inline std::vector<unsigned char> wideTextBytes(const std::wstring& text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    return {p, p + (text.size() + 1) * sizeof(wchar_t)};
}
