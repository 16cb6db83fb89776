// The effect's program store: six named programs of eight values, the selection of the current
// one, and the 368-byte chunk through which the host saves and restores all of them.
//
// Threads: program changes, chunks, names and the editor's preset operations run on the host's
// user-interface thread; setParameter may come at the same time from any other thread (host
// automation, often the audio thread). The stored values are therefore read and written as
// atomic 32-bit values, and the user-interface thread replaces or switches programs only while
// it holds the store (see ProgramChange below). A value set on another thread meanwhile is never
// lost: it is either stored before the change, or taken over from the effect's live value after
// it. Setting a value never waits.
#pragma once

#include "plugin/AudioEffectX.h"
#include "presets/ProgramRecord.h"

#include <atomic>

inline constexpr VstInt32 kPresetChunkSize = 368;
inline constexpr VstInt32 kPresetChunkVersion = 0x01000000;

class PresetEditorLink;

class CPresetSystemEffect : public AudioEffectX
{
public:
    explicit CPresetSystemEffect(audioMasterCallback audioMaster);
    ~CPresetSystemEffect() override;

    // Stores the value, clamped to 0..1, into the current program (indices 0..7 only); a NaN
    // stores nothing.
    void setParameter(VstInt32 index, float value) override;

    // The host sees one program; the six stored ones switch only inside the plug-in.
    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32) override {}
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    VstInt32 getChunk(void** data, bool isPreset = false) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;
    // Parameter `index` (0..7) of the program that a chunk as getChunk makes it names current
    // (0 for a chunk that names none), and writing it: into that program, or into every program
    // when `everyProgram`.
    static float chunkValue(const unsigned char* chunk, VstInt32 index);
    static void putChunkValue(unsigned char* chunk, VstInt32 index, float value, bool everyProgram);

    virtual VstInt32 getCurrentProgramIndex() { return currentProgramIndex.load(); }
    // Makes program `index` (0..5; anything else is ignored) current and applies its values in
    // index order through applyParameter.
    virtual void selectProgram(VstInt32 index);
    virtual void renameCurrentProgram(const char* name);
    virtual VstInt32 getUniqueID() { return cEffect.uniqueID; }
    virtual void loadEditorDefaults();
    virtual void installFactoryPrograms() {}

    // The editor's preset layer reads programs with these and replaces them with these (on the
    // user-interface thread): a copy taken while values may be changing, and replacements that
    // no concurrent setParameter can half overwrite. Like a chunk, a replacement's values are
    // kept clamped to 0..1, and a NaN among them keeps the value the program had.
    ProgramRecord readProgram(VstInt32 index) const;
    void replaceProgram(VstInt32 index, const ProgramRecord& program);
    void replaceAllPrograms(const ProgramRecord (&replacement)[kNumPresetPrograms]);

    // Direct access for single-threaded set-up and inspection.
    ProgramRecord* getPrograms() { return programs; }
    bool isApplyingProgramNow() const { return isApplyingProgram.load(); }

protected:
    PresetEditorLink* presetEditor();

    // Sets a parameter's live value while a program is applied (the store is held): the value
    // comes from the store, so it is not stored back. Here it goes through setParameter; an
    // effect that keeps live values applies them without storing.
    virtual void applyParameter(VstInt32 index, float value) { setParameter(index, value); }
    // Called on the user-interface thread when a hold ends, with one bit per parameter whose
    // store was skipped during it: stores those parameters' live values into the current
    // program (the shared ones into all). Nothing here: the bare store keeps no live values.
    virtual void storeLiveValues(uint32_t skipped) { (void)skipped; }

    // Stores `live` into value `index` of the current program, or of every program when
    // `everyProgram`, and repeats while another thread changed `live` meanwhile, so that the
    // store ends with the last value set. While the user-interface thread holds the store the
    // value is only marked, and storeLiveValues stores it when the hold ends. Never waits.
    void storeLiveValue(VstInt32 index, bool everyProgram, const std::atomic<float>& live);

    // Held by the user-interface thread while it replaces or switches programs. Holding waits
    // until no setParameter is storing; while held, setParameter marks its parameter instead of
    // storing, and releasing stores the marked ones. Nested holds on that thread are allowed.
    class ProgramChange
    {
    public:
        explicit ProgramChange(CPresetSystemEffect& store);
        ~ProgramChange();
        ProgramChange(const ProgramChange&) = delete;
        ProgramChange& operator=(const ProgramChange&) = delete;

    private:
        CPresetSystemEffect& store;
    };

    // One stored value, read or written as an atomic 32-bit value.
    static std::atomic_ref<float> storedValue(ProgramRecord& program, VstInt32 index)
    {
        return std::atomic_ref<float>(program.values[index]);
    }

    ProgramRecord* programs = nullptr;
    std::atomic<VstInt32> currentProgramIndex{0};
    unsigned char* chunkBuffer = nullptr;
    // True while selectProgram applies a program's values.
    std::atomic<bool> isApplyingProgram{false};

private:
    // Makes `index` current and applies its values; the caller holds the store.
    void applyProgram(VstInt32 index);
    void storeValue(VstInt32 index, bool everyProgram, float value);

    void waitForStores() const;

    std::atomic<bool> storeHeld{false};
    std::atomic<int> storesInProgress{0};
    std::atomic<uint32_t> skippedStores{0}; // one bit per parameter
    int holdDepth = 0;                      // user-interface thread only
};
