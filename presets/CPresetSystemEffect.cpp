#include "presets/CPresetSystemEffect.h"

#include "plugin/AEffEditor.h"
#include "presets/PresetEditorLink.h"

#include <bit>
#include <cstring>
#include <thread>

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

bool isProgramIndex(VstInt32 index)
{
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumPresetPrograms);
}

// Bit for bit, so that a stored NaN counts as equal to itself.
bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Values coming in from a chunk, file or remembered record replace the program's values as
// storable ones: each clamped to 0..1, a NaN keeping the value the program had.
void makeStorable(ProgramRecord& incoming, const ProgramRecord& replaced)
{
    for (int k = 0; k < kNumProgramValues; ++k)
        incoming.values[k] = storableValue(incoming.values[k], replaced.values[k]);
}
} // namespace

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, kNumProgramValues)
{
    programsAreChunks(true);
    chunkBuffer = new unsigned char[kPresetChunkSize]();
    programs = new ProgramRecord[kNumPresetPrograms]();
    curProgram = 0;
}

CPresetSystemEffect::~CPresetSystemEffect()
{
    delete[] chunkBuffer;
    chunkBuffer = nullptr;
    delete[] programs;
    programs = nullptr;
}

void CPresetSystemEffect::waitForStores() const
{
    // A store runs for a few instructions; it never waits for this thread.
    while (storesInProgress.load() != 0)
        std::this_thread::yield();
}

CPresetSystemEffect::ProgramChange::ProgramChange(CPresetSystemEffect& s) : store(s)
{
    if (store.holdDepth++ > 0) return;
    store.storeHeld.store(true);
    store.waitForStores();
}

CPresetSystemEffect::ProgramChange::~ProgramChange()
{
    if (--store.holdDepth > 0) return;
    store.storeHeld.store(false);
    // A store that saw the hold has marked its parameter by the time it finishes; later ones
    // store for themselves.
    store.waitForStores();
    if (const uint32_t skipped = store.skippedStores.exchange(0)) store.storeLiveValues(skipped);
}

void CPresetSystemEffect::storeValue(VstInt32 index, bool everyProgram, float value)
{
    if (everyProgram)
        for (int p = 0; p < kNumPresetPrograms; ++p)
            storedValue(programs[p], index).store(value);
    else
        storedValue(programs[currentProgramIndex.load()], index).store(value);
}

void CPresetSystemEffect::storeLiveValue(VstInt32 index, bool everyProgram,
                                         const std::atomic<float>& live)
{
    if (!programs || static_cast<uint32_t>(index) >= kNumProgramValues) return;
    // The count, raised before the flag is read, lets a thread that begins a hold wait for this
    // store; the flag tells this store that a hold has begun.
    storesInProgress.fetch_add(1);
    if (storeHeld.load())
        skippedStores.fetch_or(1u << index);
    else
    {
        // Another thread may set the same parameter meanwhile: whichever stores last re-reads
        // the live value afterwards and stores again if it changed, so the last value set wins.
        for (float value = live.load();;)
        {
            storeValue(index, everyProgram, value);
            const float now = live.load();
            if (sameBits(now, value)) break;
            value = now;
        }
    }
    storesInProgress.fetch_sub(1);
}

void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    // A NaN leaves the value as it is.
    if (!programs || static_cast<uint32_t>(index) >= kNumProgramValues || value != value) return;
    storesInProgress.fetch_add(1);
    if (storeHeld.load())
        skippedStores.fetch_or(1u << index);
    else
        storeValue(index, false, storableValue(value, 0.0f));
    storesInProgress.fetch_sub(1);
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
    storeProgramName(programs[currentProgramIndex.load()], text);
    if (PresetEditorLink* link = presetEditor()) link->programNameChanged(text);
}

void CPresetSystemEffect::getProgramName(char* name)
{
    std::memcpy(name, programs[currentProgramIndex.load()].name, kProgramNameLength);
    name[kProgramNameLength] = 0;
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (!isProgramIndex(index)) return false;
    std::memcpy(text, programs[index].name, kProgramNameLength);
    text[kProgramNameLength] = 0;
    return true;
}

ProgramRecord CPresetSystemEffect::readProgram(VstInt32 index) const
{
    ProgramRecord copy{};
    if (!programs || !isProgramIndex(index)) return copy;
    // Names change only on the user-interface thread; values may be changing on another.
    std::memcpy(copy.name, programs[index].name, kProgramNameLength);
    for (int k = 0; k < kNumProgramValues; ++k)
        copy.values[k] = storedValue(programs[index], k).load();
    return copy;
}

void CPresetSystemEffect::replaceProgram(VstInt32 index, const ProgramRecord& program)
{
    if (!programs || !isProgramIndex(index)) return;
    ProgramChange change(*this);
    ProgramRecord incoming = program;
    makeStorable(incoming, programs[index]);
    programs[index] = incoming;
}

void CPresetSystemEffect::replaceAllPrograms(const ProgramRecord (&replacement)[kNumPresetPrograms])
{
    if (!programs) return;
    ProgramChange change(*this);
    for (int p = 0; p < kNumPresetPrograms; ++p)
    {
        ProgramRecord incoming = replacement[p];
        makeStorable(incoming, programs[p]);
        programs[p] = incoming;
    }
}

void CPresetSystemEffect::applyProgram(VstInt32 index)
{
    isApplyingProgram.store(true);
    curProgram = 0;
    currentProgramIndex.store(index);
    for (VstInt32 k = 0; k < kNumProgramValues; ++k)
        applyParameter(k, programs[index].values[k]);
    isApplyingProgram.store(false);
}

void CPresetSystemEffect::selectProgram(VstInt32 index)
{
    if (!programs || !isProgramIndex(index)) return;
    {
        ProgramChange change(*this);
        applyProgram(index);
    }
    updateDisplay();
}

void CPresetSystemEffect::renameCurrentProgram(const char* name)
{
    curProgram = 0;
    if (name) storeProgramName(programs[currentProgramIndex.load()], name);
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
    writeInt32(chunkBuffer + kChunkCurrentOffset, currentProgramIndex.load());
    for (int p = 0; p < kNumPresetPrograms; ++p)
    {
        const ProgramRecord program = readProgram(p);
        std::memcpy(chunkBuffer + kChunkProgramsOffset + p * sizeof(ProgramRecord), &program,
                    sizeof program);
    }
    *data = chunkBuffer;
    return kPresetChunkSize;
}

float CPresetSystemEffect::chunkValue(const unsigned char* chunk, VstInt32 index)
{
    const int32_t current = readInt32(chunk + kChunkCurrentOffset);
    if (static_cast<uint32_t>(index) >= kNumProgramValues || !isProgramIndex(current)) return 0.0f;
    float value;
    std::memcpy(&value,
                chunk + kChunkProgramsOffset +
                    static_cast<size_t>(current) * sizeof(ProgramRecord) +
                    offsetof(ProgramRecord, values) + 4 * static_cast<size_t>(index),
                sizeof value);
    return value;
}

void CPresetSystemEffect::putChunkValue(unsigned char* chunk, VstInt32 index, float value,
                                        bool everyProgram)
{
    const int32_t current = readInt32(chunk + kChunkCurrentOffset);
    if (static_cast<uint32_t>(index) >= kNumProgramValues || !isProgramIndex(current)) return;
    for (int p = 0; p < kNumPresetPrograms; ++p)
        if (everyProgram || p == current)
            std::memcpy(chunk + kChunkProgramsOffset + p * sizeof(ProgramRecord) +
                            offsetof(ProgramRecord, values) + 4 * static_cast<size_t>(index),
                        &value, sizeof value);
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool)
{
    if (!chunkBuffer || !programs || !data || byteSize != kPresetChunkSize) return -1;
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
    // Every chunk this store writes names one of its programs as current. Loading the programs
    // without applying one would leave live values that no stored program holds, and the next
    // save and reload would change the sound: such a chunk is damaged.
    const int32_t current = readInt32(copy + kChunkCurrentOffset);
    if (!isProgramIndex(current)) return -1;

    {
        // The programs are replaced and the saved current one applied in one hold, so that no
        // value set meanwhile lands in a program of the old bank or of the new one by mistake.
        ProgramChange change(*this);
        for (int p = 0; p < kNumPresetPrograms; ++p)
        {
            unsigned char* at = copy + kChunkProgramsOffset + p * sizeof(ProgramRecord);
            ProgramRecord incoming;
            std::memcpy(&incoming, at, sizeof incoming);
            makeStorable(incoming, programs[p]);
            std::memcpy(at, &incoming, sizeof incoming);
        }
        std::memcpy(chunkBuffer, copy, kPresetChunkSize);
        std::memcpy(programs, copy + kChunkProgramsOffset,
                    kNumPresetPrograms * sizeof(ProgramRecord));
        applyProgram(current);
    }
    updateDisplay();
    if (PresetEditorLink* link = presetEditor()) link->programsReplaced();
    return 0;
}
