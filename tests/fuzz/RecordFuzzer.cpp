// The preset and bank record readers, alone and as the preset layer applies them, on any bytes.
// The first byte chooses the record kind and the user's "endian-reversed" choice; the rest is
// the record, cut or zero-filled to its size as a short file leaves it. An accepted record lands
// in the store as decoded (its values kept within 0..1) and is written back as a record that
// decodes to the same; a refused one changes nothing.
#include "FuzzSupport.h"

#include "presets/PresetRecords.h"
#include "presets/platform/linux/XdgSettingsStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
bool sameProgram(const ProgramRecord& a, const ProgramRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

ProgramRecord storedProgram(const fuzz::Bytes& chunk, int p)
{
    ProgramRecord r;
    std::memcpy(&r, chunk.data() + 32 + 56 * p, sizeof r);
    return r;
}

// A decoded program as the store keeps it: every value within 0..1 (exactly as decoded when it
// is), a NaN replaced by the value the program held before.
ProgramRecord asStored(ProgramRecord decoded, const ProgramRecord& before)
{
    for (int k = 0; k < kNumProgramValues; ++k)
    {
        float& v = decoded.values[k];
        if (std::isnan(v)) v = before.values[k];
        if (!(v >= 0.0f && v <= 1.0f)) v = v > 1.0f ? 1.0f : 0.0f;
    }
    return decoded;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    static fuzz::Effect& effect =
        *new fuzz::Effect(std::make_unique<XdgSettingsStore>(fuzz::scratchFolder()));
    const bool bank = data[0] & 1;
    const bool reversed = data[0] & 2;
    fuzz::Bytes record(bank ? kBankRecordSize : kPresetRecordSize, 0);
    std::memcpy(record.data(), data + 1, std::min(size - 1, record.size()));

    const fuzz::Bytes before = effect.chunk();
    int32_t current;
    std::memcpy(&current, before.data() + 12, 4);
    PresetSystemCore& layer = effect.layer();
    if (bank)
    {
        ProgramRecord decoded[kNumPresetPrograms];
        const bool accepted = decodeBankRecord(record.data(), fuzz::kUniqueID, reversed, decoded);
        FUZZ_CHECK(layer.readBankData(record.data(), reversed) == accepted);
        const fuzz::Bytes after = effect.chunk();
        if (!accepted)
        {
            FUZZ_CHECK(after == before);
            return 0;
        }
        // All six replaced exactly, and the first one applied.
        FUZZ_CHECK(effect.getCurrentProgramIndex() == 0);
        for (int p = 0; p < kNumPresetPrograms; ++p)
            FUZZ_CHECK(sameProgram(storedProgram(after, p),
                                   asStored(decoded[p], storedProgram(before, p))));
        fuzz::Bytes written(kBankRecordSize, 0);
        layer.writeBankData(written.data());
        ProgramRecord back[kNumPresetPrograms];
        FUZZ_CHECK(decodeBankRecord(written.data(), fuzz::kUniqueID, false, back));
        for (int p = 0; p < kNumPresetPrograms; ++p)
            FUZZ_CHECK(sameProgram(back[p], storedProgram(after, p)));
    }
    else
    {
        ProgramRecord decoded;
        const bool accepted = decodePresetRecord(record.data(), fuzz::kUniqueID, reversed, decoded);
        FUZZ_CHECK(layer.readPresetData(record.data(), reversed) == accepted);
        const fuzz::Bytes after = effect.chunk();
        if (!accepted)
        {
            FUZZ_CHECK(after == before);
            return 0;
        }
        // Loaded into the current program, which stays current; its name is stored as a text
        // (cut at a zero byte); the other programs keep theirs.
        FUZZ_CHECK(effect.getCurrentProgramIndex() == current);
        ProgramRecord expected = asStored(decoded, storedProgram(before, current));
        char name[kProgramNameLength + 1] = {};
        std::memcpy(name, decoded.name, kProgramNameLength);
        storeProgramName(expected, name);
        FUZZ_CHECK(sameProgram(storedProgram(after, current), expected));
        for (int p = 0; p < kNumPresetPrograms; ++p)
            if (p != current)
                FUZZ_CHECK(sameProgram(storedProgram(after, p), storedProgram(before, p)));
        fuzz::Bytes written(kPresetRecordSize, 0);
        layer.writePresetData(written.data());
        ProgramRecord back;
        FUZZ_CHECK(decodePresetRecord(written.data(), fuzz::kUniqueID, false, back));
        FUZZ_CHECK(sameProgram(back, storedProgram(after, current)));
    }
    return 0;
}
