// The VST 2.x extension layer of the effect base: the opcodes from 25 up and their neutral
// answers. Opcodes it does not handle fall through to AudioEffect.
#pragma once

#include "plugin/AudioEffect.h"

class AudioEffectX : public AudioEffect
{
public:
    // effVendorSpecific with these index and value sets the editor's content scale to opt.
    static constexpr VstInt32 kVendorScaleIndex = 0x50726553;  // 'PreS'
    static constexpr VstIntPtr kVendorScaleValue = 0x41654373; // 'AeCs'

    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(audioMaster, numPrograms, numParams)
    {
    }

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    virtual bool canParameterBeAutomated(VstInt32) { return true; }
    virtual bool string2parameter(VstInt32, char*) { return false; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 canDo(char*) { return 0; }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32, void*) { return -1; }

    // Asks the host to re-read programs, parameters and names.
    virtual bool updateDisplay();
};
