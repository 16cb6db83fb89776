#include "presets/platform/windows/RegistrySettingsStore.h"

#include "presets/platform/windows/WideText.h"

#include <cstring>
#include <windows.h>

namespace
{
// Longer text values than this are not names this plug-in wrote.
constexpr size_t kTextValueLimit = 65536;

std::wstring valueName(const char* name)
{
    std::wstring wide;
    return utf8ToWide(name ? name : "", wide) ? wide : std::wstring();
}

// A key handle that closes itself.
class Key
{
public:
    ~Key()
    {
        if (handle) RegCloseKey(handle);
    }
    HKEY handle = nullptr;
};
} // namespace

std::unique_ptr<SettingsStore> openUserSettings()
{
    return std::make_unique<RegistrySettingsStore>();
}

RegistrySettingsStore::RegistrySettingsStore(std::wstring k) : key(std::move(k)) {}

bool RegistrySettingsStore::readValue(const char* name, unsigned long type, std::string& bytes,
                                      size_t limit) const
{
    const std::wstring value = valueName(name);
    if (value.empty()) return false;
    Key k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &k.handle) !=
        ERROR_SUCCESS)
        return false;
    // Size first, then the bytes; a value that changes in between is read as damaged.
    DWORD foundType = 0;
    DWORD size = 0;
    if (RegQueryValueExW(k.handle, value.c_str(), nullptr, &foundType, nullptr, &size) !=
            ERROR_SUCCESS ||
        foundType != type || size > limit)
        return false;
    bytes.assign(static_cast<size_t>(size) + 1, '\0');
    DWORD got = size + 1;
    if (RegQueryValueExW(k.handle, value.c_str(), nullptr, &foundType,
                         reinterpret_cast<BYTE*>(bytes.data()), &got) != ERROR_SUCCESS ||
        foundType != type || got != size)
        return false;
    bytes.resize(got);
    return true;
}

bool RegistrySettingsStore::writeValue(const char* name, unsigned long type, const void* data,
                                       size_t size)
{
    const std::wstring value = valueName(name);
    if (value.empty() || size > 0xFFFFFFFFu) return false;
    Key k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &k.handle, nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(k.handle, value.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::readBinary(const char* name, void* data, size_t size)
{
    std::string bytes;
    // Every binary value is one whole record: any other size means it is damaged.
    if (!readValue(name, REG_BINARY, bytes, size) || bytes.size() != size) return false;
    std::memcpy(data, bytes.data(), size);
    return true;
}

bool RegistrySettingsStore::writeBinary(const char* name, const void* data, size_t size)
{
    return writeValue(name, REG_BINARY, data, size);
}

bool RegistrySettingsStore::readText(const char* name, char* text, size_t capacity)
{
    if (capacity == 0) return false;
    std::string bytes;
    if (!readValue(name, REG_SZ, bytes, kTextValueLimit) || bytes.size() % 2 != 0) return false;
    std::wstring wide(bytes.size() / 2, L'\0');
    std::memcpy(wide.data(), bytes.data(), bytes.size());
    // The terminator is part of the value as written; a value stored without one is accepted.
    while (!wide.empty() && wide.back() == L'\0')
        wide.pop_back();
    std::string utf8;
    if (wide.find(L'\0') != std::wstring::npos || !wideToUtf8(wide, utf8) ||
        utf8.size() + 1 > capacity)
        return false;
    std::memcpy(text, utf8.c_str(), utf8.size() + 1);
    return true;
}

bool RegistrySettingsStore::writeText(const char* name, const char* text)
{
    std::wstring wide;
    if (!text || !utf8ToWide(text, wide)) return false;
    // The wide text and its terminator.
    return writeValue(name, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool RegistrySettingsStore::remove(const char* name)
{
    const std::wstring value = valueName(name);
    if (value.empty()) return false;
    Key k;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &k.handle);
    if (opened == ERROR_FILE_NOT_FOUND) return true; // no key, no value
    if (opened != ERROR_SUCCESS) return false;
    const LONG deleted = RegDeleteValueW(k.handle, value.c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}
