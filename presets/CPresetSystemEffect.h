// The effect's program store: six named programs of eight values, the selection of the current
// one, and the 368-byte chunk through which the host saves and restores all of them.
#pragma once

#include "plugin/AudioEffectX.h"
#include "presets/ProgramRecord.h"

inline constexpr VstInt32 kPresetChunkSize = 368;
inline constexpr VstInt32 kPresetChunkVersion = 0x01000000;

class PresetEditorLink;

class CPresetSystemEffect : public AudioEffectX
{
public:
    explicit CPresetSystemEffect(audioMasterCallback audioMaster);
    ~CPresetSystemEffect() override;

    // Stores the value into the current program (indices 0..7 only). The effect's own
    // setParameter calls this one after it has updated its engine.
    void setParameter(VstInt32 index, float value) override;

    // The host sees one program; the six stored ones switch only inside the plug-in.
    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32) override {}
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    VstInt32 getChunk(void** data, bool isPreset = false) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;

    virtual VstInt32 getCurrentProgramIndex() { return currentProgramIndex; }
    // Makes program `index` (0..5) current and applies its values in index order.
    virtual void selectProgram(VstInt32 index);
    virtual void renameCurrentProgram(const char* name);
    virtual VstInt32 getUniqueID() { return cEffect.uniqueID; }
    virtual void loadEditorDefaults();
    virtual void installFactoryPrograms() {}

    // Direct access for the editor's preset layer, which reads and writes the store.
    ProgramRecord* getPrograms() { return programs; }
    bool isApplyingProgramNow() const { return isApplyingProgram; }

protected:
    PresetEditorLink* presetEditor();

    ProgramRecord* programs = nullptr;
    VstInt32 currentProgramIndex = 0;
    unsigned char* chunkBuffer = nullptr;
    bool isApplyingProgram = false;
};
