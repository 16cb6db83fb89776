#include "plugin/AudioEffect.h"

#include "plugin/AEffEditor.h"

#include <cmath>
#include <cstring>

namespace
{
// The record's entry points: plain functions that find the effect through `object`.
// Every opcode goes to the effect's dispatcher; effClose then also deletes the effect.
VstIntPtr dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                          float opt)
{
    AudioEffect* effect = AudioEffect::fromRecord(e);
    if (opcode == effClose)
    {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

// The old accumulating process call: not offered, so it leaves the buffers alone.
void processAccumulating(AEffect*, float**, float**, VstInt32) {}

void processReplacingEntry(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    AudioEffect::fromRecord(e)->processReplacing(inputs, outputs, sampleFrames);
}

void processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs,
                                 VstInt32 sampleFrames)
{
    AudioEffect::fromRecord(e)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void setParameterEntry(AEffect* e, VstInt32 index, float value)
{
    AudioEffect::fromRecord(e)->setParameter(index, value);
}

float getParameterEntry(AEffect* e, VstInt32 index)
{
    return AudioEffect::fromRecord(e)->getParameter(index);
}
} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatcherEntry;
    cEffect.process = processAccumulating;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode("NoEf");
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
    canProcessReplacing();
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    // Requests that write through ptr are ignored when a host passes no buffer.
    switch (opcode)
    {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return editor && ptr && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor) editor->close();
        return 0;
    case effEditIdle:
        if (editor) editor->idle();
        return 0;
    case effIdentify:
        return fourCharCode("NvEf");
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}
void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    if (isHostParameter(index)) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(char*) {}
void AudioEffect::getProgramName(char* name)
{
    *name = 0;
}
void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    *label = 0;
}
void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    *text = 0;
}
void AudioEffect::getParameterName(VstInt32, char* text)
{
    *text = 0;
}

VstInt32 AudioEffect::getChunk(void**, bool)
{
    return 0;
}
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

void AudioEffect::canProcessReplacing(bool state)
{
    if (state)
        cEffect.flags |= effFlagsCanReplacing;
    else
        cEffect.flags &= ~effFlagsCanReplacing;
}

void AudioEffect::programsAreChunks(bool state)
{
    if (state)
        cEffect.flags |= effFlagsProgramChunks;
    else
        cEffect.flags &= ~effFlagsProgramChunks;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    if (editor)
        cEffect.flags |= effFlagsHasEditor;
    else
        cEffect.flags &= ~effFlagsHasEditor;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

// Editor controls that stand for no parameter (the preset strip's name field, menu and buttons)
// make gestures with their own tags too; a host would take those for parameter indices, so only
// real parameters reach it.
bool AudioEffect::isHostParameter(VstInt32 index) const
{
    return index >= 0 && index < numParams;
}

bool AudioEffect::beginEdit(VstInt32 index)
{
    if (!audioMaster || !isHostParameter(index)) return false;
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffect::endEdit(VstInt32 index)
{
    if (!audioMaster || !isHostParameter(index)) return false;
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffect::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    // Not greater than 0 also covers NaN: there is no level to show.
    if (!(value > 0.0f))
    {
        vst_strncpy(text, "-oo", maxLen);
        return;
    }
    const float dB = 20.0f * std::log10(value);
    float2string(dB, text, maxLen);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    // Eight characters, sign and point included, never an exponent; fraction digits are cut,
    // not rounded.
    constexpr int kWidth = 8;
    if (maxLen < 0) return;
    if (std::isnan(value))
    {
        vst_strncpy(text, "NaN", maxLen);
        return;
    }

    double v = value;
    int count = 0;
    const bool negative = v < 0.0;
    if (negative)
    {
        v = -v;
        ++count;
    }
    // Integer parts with more digits than the width holds would lose their high digits and
    // read as a different number; show that the value is out of range instead.
    const double limit = negative ? 1e6 : 1e7;
    if (!(v < limit))
    {
        vst_strncpy(text, negative ? "-Huge!" : "Huge!", maxLen);
        return;
    }

    char digits[kWidth + 2];
    char* s = digits + sizeof(digits) - 1;
    *s = 0;
    *--s = '.';
    ++count;
    double integer = std::floor(v);
    do
    {
        *--s = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
        integer /= 10.0;
        ++count;
    } while (integer >= 1.0 && count < kWidth);
    if (negative) *--s = '-';
    vst_strncpy(text, s, maxLen);
    if (count >= kWidth) return;

    char fraction[kWidth + 1];
    const int fractionDigits = kWidth - count;
    fraction[fractionDigits] = 0;
    double m = std::fmod(v, 1.0) * std::pow(10.0, fractionDigits);
    for (int i = fractionDigits - 1; i >= 0; --i)
    {
        if (m <= 0.0)
        {
            fraction[i] = '0';
        }
        else
        {
            fraction[i] = static_cast<char>('0' + static_cast<int>(std::fmod(m, 10.0)));
            m /= 10.0;
        }
    }
    vst_strncat(text, fraction, maxLen);
}

void vst_strncpy(char* dst, const char* src, VstInt32 maxLen)
{
    if (maxLen < 0) return;
    std::strncpy(dst, src, static_cast<size_t>(maxLen));
    dst[maxLen] = 0;
}

void vst_strncat(char* dst, const char* src, VstInt32 maxLen)
{
    if (maxLen < 0) return;
    size_t used = std::strlen(dst);
    const size_t limit = static_cast<size_t>(maxLen);
    while (used < limit && *src)
        dst[used++] = *src++;
    dst[used] = 0;
}
