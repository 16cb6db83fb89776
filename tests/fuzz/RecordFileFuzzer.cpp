// Preset and bank files with any contents, loaded as the file dialogs load them, with and without
// the user's "endian-reversed" choice. A load applies exactly what the record reader accepts of
// the file's first bytes (a short file reads as zero-filled); anything else changes nothing.
#include "FuzzSupport.h"

#include "presets/PresetRecords.h"
#include "presets/platform/linux/XdgSettingsStore.h"

#include <algorithm>
#include <cstring>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Effect& effect =
        *new fuzz::Effect(std::make_unique<XdgSettingsStore>(fuzz::scratchFolder()));
    static const std::string path = fuzz::scratchFolder() + "chosen.orv";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (bool bank : {false, true})
        for (bool reversed : {false, true})
        {
            fuzz::Bytes record(bank ? kBankRecordSize : kPresetRecordSize, 0);
            std::memcpy(record.data(), data, std::min(size, record.size()));
            ProgramRecord programs[kNumPresetPrograms];
            const bool accepted =
                bank ? decodeBankRecord(record.data(), fuzz::kUniqueID, reversed, programs)
                     : decodePresetRecord(record.data(), fuzz::kUniqueID, reversed, programs[0]);
            const fuzz::Bytes before = effect.chunk();
            PresetSystemCore& layer = effect.layer();
            const bool loaded = bank ? layer.loadBankFile(path.c_str(), reversed)
                                     : layer.loadPresetFile(path.c_str(), reversed);
            FUZZ_CHECK(loaded == accepted);
            if (!accepted) FUZZ_CHECK(effect.chunk() == before);
            // The chosen file is remembered by folder and name.
            FUZZ_CHECK(std::string(layer.getCurrentDirectory()) == fuzz::scratchFolder());
        }
    return 0;
}
