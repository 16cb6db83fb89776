// The per-user settings store: small named values that outlive the plug-in (the user's default
// preset and bank, the two memories and the last-used folder and file names). The values are
// shared by every instance of the plug-in for one user; the last one to write wins.
//
// On Windows the values belong in the registry under
// HKEY_CURRENT_USER\SOFTWARE\Orvatone\OrvSympharon; on Linux they are files (XdgSettingsStore).
#pragma once

#include <cstddef>
#include <memory>

// Value names; the binary ones hold a preset or bank record, the text ones a folder or file name.
inline constexpr const char* kSettingDefaultPreset = "DefaultPreset";
inline constexpr const char* kSettingDefaultBank = "DefaultBank";
inline constexpr const char* kSettingMemoA = "MemoA";
inline constexpr const char* kSettingMemoB = "MemoB";
inline constexpr const char* kSettingCurrentDirectory = "CurrDir";
inline constexpr const char* kSettingCurrentBank = "CurrBank";
inline constexpr const char* kSettingCurrentPreset = "CurrPreset";
// The user's zoom of the editor window in percent as text ("150"); absent means automatic.
inline constexpr const char* kSettingZoom = "Zoom";

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // Binary values. A read succeeds only for a value of exactly `size` bytes: every value is
    // written as one whole record, so any other size means the value is damaged. On failure
    // `data` is left as it was.
    virtual bool readBinary(const char* name, void* data, size_t size) = 0;
    virtual bool writeBinary(const char* name, const void* data, size_t size) = 0;

    // Text values. A read succeeds only when the whole text and its terminator fit in
    // `capacity` bytes and the text holds no zero byte; on failure `text` is left as it was.
    virtual bool readText(const char* name, char* text, size_t capacity) = 0;
    virtual bool writeText(const char* name, const char* text) = 0;

    // Removes a value; true when it is gone (also when it never existed).
    virtual bool remove(const char* name) = 0;
};

// The store of the user running the process, for this platform.
std::unique_ptr<SettingsStore> openUserSettings();
