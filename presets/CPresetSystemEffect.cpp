#include "presets/CPresetSystemEffect.h"

#include "plugin/AEffEditor.h"
#include "presets/PresetEditorLink.h"

#include <cstring>

namespace
{
// Chunk layout: four 32-bit header fields, 16 reserved bytes, then the six programs.
constexpr size_t kChunkVersionOffset = 0;
constexpr size_t kChunkIdOffset = 4;
constexpr size_t kChunkCountOffset = 8;
constexpr size_t kChunkCurrentOffset = 12;
constexpr size_t kChunkProgramsOffset = 32;
static_assert(kChunkProgramsOffset + kNumPresetPrograms * sizeof(ProgramRecord) ==
              kPresetChunkSize);

int32_t readInt32(const unsigned char* at)
{
    int32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

void writeInt32(unsigned char* at, int32_t v)
{
    std::memcpy(at, &v, sizeof v);
}
} // namespace

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, kNumProgramValues)
{
    programsAreChunks(true);
    chunkBuffer = new unsigned char[kPresetChunkSize]();
    programs = new ProgramRecord[kNumPresetPrograms]();
    currentProgramIndex = 0;
    curProgram = 0;
    isApplyingProgram = false;
}

CPresetSystemEffect::~CPresetSystemEffect()
{
    delete[] chunkBuffer;
    chunkBuffer = nullptr;
    delete[] programs;
    programs = nullptr;
}

void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    if (programs && static_cast<uint32_t>(index) < kNumProgramValues)
        programs[currentProgramIndex].values[index] = value;
}

PresetEditorLink* CPresetSystemEffect::presetEditor()
{
    return dynamic_cast<PresetEditorLink*>(editor);
}

void CPresetSystemEffect::setProgramName(char* name)
{
    // The host's name is read no further than the bytes that can be kept plus the three that
    // tell whether the character at the cut goes on past it.
    const std::string_view given(name, strnlen(name, kProgramNameLength + 3));
    char text[kProgramNameLength + 1] = {};
    std::memcpy(text, given.data(), programNameLength(given));
    storeProgramName(programs[currentProgramIndex], text);
    if (PresetEditorLink* link = presetEditor()) link->programNameChanged(text);
}

void CPresetSystemEffect::getProgramName(char* name)
{
    std::memcpy(name, programs[currentProgramIndex].name, kProgramNameLength);
    name[kProgramNameLength] = 0;
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (static_cast<uint32_t>(index) >= kNumPresetPrograms) return false;
    std::memcpy(text, programs[index].name, kProgramNameLength);
    text[kProgramNameLength] = 0;
    return true;
}

void CPresetSystemEffect::selectProgram(VstInt32 index)
{
    isApplyingProgram = true;
    curProgram = 0;
    currentProgramIndex = index;
    for (VstInt32 k = 0; k < kNumProgramValues; ++k)
        setParameter(k, programs[index].values[k]);
    updateDisplay();
    isApplyingProgram = false;
}

void CPresetSystemEffect::renameCurrentProgram(const char* name)
{
    curProgram = 0;
    if (name) storeProgramName(programs[currentProgramIndex], name);
    updateDisplay();
}

void CPresetSystemEffect::loadEditorDefaults()
{
    if (PresetEditorLink* link = presetEditor()) link->loadDefaults();
}

VstInt32 CPresetSystemEffect::getChunk(void** data, bool)
{
    if (!chunkBuffer) return 0;
    std::memset(chunkBuffer, 0, kPresetChunkSize);
    writeInt32(chunkBuffer + kChunkVersionOffset, kPresetChunkVersion);
    writeInt32(chunkBuffer + kChunkIdOffset, getUniqueID());
    writeInt32(chunkBuffer + kChunkCountOffset, kNumPresetPrograms);
    writeInt32(chunkBuffer + kChunkCurrentOffset, currentProgramIndex);
    std::memcpy(chunkBuffer + kChunkProgramsOffset, programs,
                kNumPresetPrograms * sizeof(ProgramRecord));
    *data = chunkBuffer;
    return kPresetChunkSize;
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool)
{
    if (!chunkBuffer || !data || byteSize != kPresetChunkSize) return -1;
    // Work on a copy: the host's data may be our own chunk buffer from getChunk, and a rejected
    // chunk must leave the last chunk handed out intact.
    unsigned char copy[kPresetChunkSize];
    std::memcpy(copy, data, kPresetChunkSize);

    const uint32_t id = static_cast<uint32_t>(getUniqueID());
    const uint32_t chunkId = static_cast<uint32_t>(readInt32(copy + kChunkIdOffset));
    if (chunkId != id)
    {
        if (chunkId != byteSwapped32(id)) return -1;
        // Written in the other byte order: every 32-bit field and float is reversed; names are
        // byte strings and stay as they are.
        byteSwap32(copy + kChunkVersionOffset);
        for (size_t at = kChunkCountOffset; at < kChunkProgramsOffset; at += 4)
            byteSwap32(copy + at);
        for (int p = 0; p < kNumPresetPrograms; ++p)
        {
            unsigned char* values = copy + kChunkProgramsOffset + p * sizeof(ProgramRecord) +
                                    offsetof(ProgramRecord, values);
            for (int k = 0; k < kNumProgramValues; ++k)
                byteSwap32(values + 4 * k);
        }
    }
    // A version we do not know is rejected like any other unreadable chunk.
    if (readInt32(copy + kChunkVersionOffset) != kPresetChunkVersion) return -1;
    if (readInt32(copy + kChunkCountOffset) != kNumPresetPrograms) return -1;

    std::memcpy(chunkBuffer, copy, kPresetChunkSize);
    std::memcpy(programs, copy + kChunkProgramsOffset, kNumPresetPrograms * sizeof(ProgramRecord));
    const int32_t current = readInt32(copy + kChunkCurrentOffset);
    if (current >= 0 && current < kNumPresetPrograms) selectProgram(current);
    return 0;
}
