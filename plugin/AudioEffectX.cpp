#include "plugin/AudioEffectX.h"

#include "plugin/AEffEditor.h"

#include <cmath>
#include <limits>

namespace
{
// The modifier bits travel in the float argument; a value that is not a number or does not fit
// an integer carries no modifier.
unsigned char modifierFromOpt(float opt)
{
    if (!(std::fabs(opt) < static_cast<float>(std::numeric_limits<VstInt32>::max()))) return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt));
}

VstKeyCode keyCodeFor(VstInt32 index, VstIntPtr value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    key.modifier = modifierFromOpt(opt);
    return key;
}
} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    switch (opcode)
    {
    case effProcessEvents:
        return 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return ptr && string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed:
        return ptr && getProgramNameIndexed(static_cast<VstInt32>(value), index,
                                            static_cast<char*>(ptr))
                   ? 1
                   : 0;
    case effGetInputProperties:
    case effGetOutputProperties:
        return 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effSetSpeakerArrangement:
    case effSetBypass:
        return 0;
    case effGetEffectName:
        return ptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return ptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return ptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        // The one way in for a host's content scale (also used by the other plug-in faces):
        // index 'PreS', value 'AeCs', the factor in opt.
        if (index == kVendorScaleIndex && value == kVendorScaleValue)
            return editor && editor->setHostScaleFactor(opt) ? 1 : 0;
        return 0;
    case effCanDo:
        return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1
                                                                                               : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        if (editor)
        {
            VstKeyCode key = keyCodeFor(index, value, opt);
            return editor->onKeyDown(key) ? 1 : 0;
        }
        return 0;
    case effEditKeyUp:
        if (editor)
        {
            VstKeyCode key = keyCodeFor(index, value, opt);
            return editor->onKeyUp(key) ? 1 : 0;
        }
        return 0;
    case effSetEditKnobMode:
        return editor && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetMidiProgramName:
        return 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effGetMidiKeyName:
    case effBeginSetProgram:
    case effEndSetProgram:
        return 0;
    case effGetSpeakerArrangement:
        // No arrangement of its own: both answers are null (where the host gave somewhere to
        // put them).
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = nullptr;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = nullptr;
        return 0;
    case effShellGetNextPlugin:
    case effStartProcess:
    case effStopProcess:
        return 0;
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
    case effBeginLoadBank:
    case effBeginLoadProgram:
    case effSetProcessPrecision:
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
        return 0;
    default:
        // 28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57, below 25 and above 79.
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}
