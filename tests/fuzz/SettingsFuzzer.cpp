// The per-user settings values with any contents: the input is cut into the seven values (each
// a two-byte length and that many bytes; a length of 0xFFFF leaves the value out). A new
// instance then starts from them as the plug-in does (default bank, default preset, last-used
// names) and recalls a memory. Binary values are used only when they are whole records, names
// only when they fit; nothing is read outside the values, and the names stay terminated.
#include "FuzzSupport.h"

#include "presets/PresetRecords.h"
#include "presets/SettingsStore.h"
#include "presets/platform/linux/XdgSettingsStore.h"

#include <cstring>
#include <filesystem>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzz::scratchFolder() + "settings/";
    const char* const names[] = {
        kSettingDefaultBank,      kSettingDefaultPreset, kSettingMemoA,        kSettingMemoB,
        kSettingCurrentDirectory, kSettingCurrentBank,   kSettingCurrentPreset};
    std::filesystem::create_directories(folder);
    size_t at = 0;
    for (const char* name : names)
    {
        const std::string path = folder + name;
        size_t length = 0xFFFF;
        if (at + 2 <= size)
        {
            length = static_cast<size_t>(data[at] | data[at + 1] << 8);
            at += 2;
        }
        if (length == 0xFFFF)
        {
            std::filesystem::remove(path);
            continue;
        }
        length = std::min(length, size - at);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data + at), static_cast<std::streamsize>(length));
        at += length;
    }

    // The reader on its own: binary values only at their exact size, texts only when they fit.
    XdgSettingsStore store(folder);
    for (const char* name : names)
    {
        std::error_code error;
        const auto fileSize = std::filesystem::file_size(folder + name, error);
        unsigned char record[kBankRecordSize];
        std::memset(record, 0x5A, sizeof record);
        const bool read = store.readBinary(name, record, kPresetRecordSize);
        FUZZ_CHECK(read == (!error && fileSize == kPresetRecordSize));
        FUZZ_CHECK(record[kPresetRecordSize] == 0x5A);
        char text[kPresetPathCapacity + 8];
        std::memset(text, 0x5A, sizeof text);
        if (store.readText(name, text, kPresetPathCapacity))
            FUZZ_CHECK(std::strlen(text) < kPresetPathCapacity);
        else
            FUZZ_CHECK(text[0] == 0x5A);
        FUZZ_CHECK(text[kPresetPathCapacity] == 0x5A);
    }

    // A new instance starting from these values, recalling a memory and loading the remembered
    // preset file name from the remembered folder.
    fuzz::Effect effect(std::make_unique<XdgSettingsStore>(folder));
    PresetSystemCore& layer = effect.layer();
    layer.recallMemoA();
    for (const char* text :
         {layer.getCurrentDirectory(), layer.getCurrentBankName(), layer.getCurrentPresetName()})
        FUZZ_CHECK(strnlen(text, kPresetPathCapacity) < kPresetPathCapacity);
    layer.loadPresetFile(layer.getCurrentPresetName(), false);
    int32_t current;
    std::memcpy(&current, effect.chunk().data() + 12, 4);
    FUZZ_CHECK(current >= 0 && current < kNumPresetPrograms);
    return 0;
}
