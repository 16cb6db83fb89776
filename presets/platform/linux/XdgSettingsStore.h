// Per-user settings as files: one file per value, named as the value, in
// $XDG_CONFIG_HOME/Orvatone/OrvSympharon/ (~/.config/Orvatone/OrvSympharon/ by default). Binary
// values hold their raw bytes, text values their bytes as given (UTF-8 file and folder names)
// without a terminator. Every write replaces its file atomically, so a reader in another
// instance sees either the old value or the new one, never a mixture.
#pragma once

#include "presets/SettingsStore.h"

#include <string>

class XdgSettingsStore : public SettingsStore
{
public:
    // `folder` ends with '/'; it is created when the first value is written.
    explicit XdgSettingsStore(std::string folder);

    // The folder for the current user from the environment, or empty when neither an absolute
    // XDG_CONFIG_HOME nor HOME is set.
    static std::string userFolder();

    const std::string& folder() const { return base; }

    bool readBinary(const char* name, void* data, size_t size) override;
    bool writeBinary(const char* name, const void* data, size_t size) override;
    bool readText(const char* name, char* text, size_t capacity) override;
    bool writeText(const char* name, const char* text) override;
    bool remove(const char* name) override;

private:
    // Reads a whole value file of at most `limit` bytes; false if missing, not a regular file,
    // larger than `limit` or unreadable.
    bool readValue(const char* name, std::string& bytes, size_t limit) const;
    bool writeValue(const char* name, const void* data, size_t size);

    std::string base;
};
