// Per-user settings in the registry: one value per setting under
// HKEY_CURRENT_USER\SOFTWARE\Orvatone\OrvSympharon. Binary settings are REG_BINARY values of
// exactly their record's size (61 or 341 bytes); text settings are REG_SZ values holding the
// UTF-16 form of the UTF-8 text and its terminator, so folder names in any script survive.
//
// A value of another type or size is damaged and read as missing. Every failure is silent and
// leaves both the caller's buffer and the registry as they were.
#pragma once

#include "presets/SettingsStore.h"

#include <string>

class RegistrySettingsStore : public SettingsStore
{
public:
    // The plug-in's key; tests name a key of their own.
    static constexpr const wchar_t* kUserKey = L"SOFTWARE\\Orvatone\\OrvSympharon";

    // `key` below HKEY_CURRENT_USER.
    explicit RegistrySettingsStore(std::wstring key = kUserKey);

    bool readBinary(const char* name, void* data, size_t size) override;
    bool writeBinary(const char* name, const void* data, size_t size) override;
    bool readText(const char* name, char* text, size_t capacity) override;
    bool writeText(const char* name, const char* text) override;
    bool remove(const char* name) override;

private:
    // The whole value if it exists with the given type and at most `limit` bytes.
    bool readValue(const char* name, unsigned long type, std::string& bytes, size_t limit) const;
    bool writeValue(const char* name, unsigned long type, const void* data, size_t size);

    std::wstring key;
};
