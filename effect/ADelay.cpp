#include "effect/ADelay.h"
#include "editor/ADEditor.h"

#include "effect/FactoryPrograms.h"
#include "effect/ParameterTable.h"
#include "plugin/AEffEditor.h"
#include "plugin/EditorParameterLink.h"
#include "plugin/PluginEntry.h"

#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>

namespace
{
constexpr bool defaultProgramMatchesParameterTable()
{
    for (int k = 0; k < kNumParams; ++k)
        if (kFactoryPrograms[0].values[k] != kParameterInfo[k].factoryDefault) return false;
    return true;
}
static_assert(defaultProgramMatchesParameterTable(),
              "program \"Default\" holds every parameter's factory default");
static_assert(kNumParams == kNumProgramValues);

// Bit for bit, so that a NaN set by a host counts as equal to itself.
bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

bool isParameterIndex(VstInt32 index)
{
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams);
}

// Copies a parameter text with its terminator. The texts are at most eleven characters; hosts
// hand larger buffers than the published eight, and every known host reads these as they are.
void copyText(char* to, const char* text)
{
    std::memcpy(to, text, std::strlen(text) + 1);
}

// A product formed in double from the stored float and rounded to float for display.
float displayed(double value)
{
    return static_cast<float>(value);
}
} // namespace

ADelay::ADelay(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster)
{
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing();
    setUniqueID(fourCharCode("OrSy"));

    // The engine (member `resonator`) already exists: untransposed, in tune, without detune, not
    // bypassed, its twelve string buffers allocated. Every other engine value is set when
    // program 0 is applied below.

    // The editor object exists for the effect's whole life; its window only while the host has it
    // open. Its base attaches it to the effect (and announces the editor to the host).
    editor = new ADEditor(this);

    installFactoryPrograms();
    loadEditorDefaults();
    selectProgram(0);
    suspend();
}

ADelay::~ADelay()
{
    // The editor goes first, while the programs and the engine it may still reach as its window
    // closes are whole; the base classes would delete it only after they are gone.
    delete editor;
    editor = nullptr;
}

void ADelay::setParameter(VstInt32 index, float value)
{
    if (isParameterIndex(index))
    {
        // What hosts read back, show and save is 0..1: a value beyond either end is taken to
        // that end, and a NaN, which means nothing, leaves the parameter as it is.
        if (std::isnan(value)) return;
        value = storableValue(value, 0.0f);
        paramValue[index].store(value);
        followLiveValue(index);
        // Into the current program; Output, Mix and Bypass into every program.
        storeLiveValue(index, isGlobalParameter(index), paramValue[index]);
    }
    notifyEditor(index, value);
}

// Applying a program (the store is held): the value comes from the current program, so only
// the shared ones are written, into the other programs.
void ADelay::applyParameter(VstInt32 index, float value)
{
    if (isParameterIndex(index))
    {
        paramValue[index].store(value);
        followLiveValue(index);
        if (isGlobalParameter(index))
            for (int p = 0; p < kNumPresetPrograms; ++p)
                storedValue(programs[p], index).store(value);
    }
    notifyEditor(index, value);
}

void ADelay::storeLiveValues(uint32_t skipped)
{
    for (VstInt32 k = 0; k < kNumParams; ++k)
        if (skipped & (1u << k)) storeLiveValue(k, isGlobalParameter(k), paramValue[k]);
}

void ADelay::notifyEditor(VstInt32 index, float value)
{
    if (editor)
        if (auto* link = dynamic_cast<EditorParameterLink*>(editor))
            link->setParameter(index, value);
}

// Two threads may set a parameter at once (automation and the user-interface thread): each
// derives the engine value from the live value and derives again if it changed meanwhile, so
// the engine ends with the value of the last one set.
void ADelay::followLiveValue(VstInt32 index)
{
    for (float value = paramValue[index].load();;)
    {
        orderEngineStores();
        if (index == kDecay)
            settleFeedback();
        else
        {
            const float before = resonator.transposeFactor();
            orv::deriveEngineValue(resonator, index, value, paramValue[kDecay].load());
            if (index == kTranspose && resonator.transposeFactor() != before) settleFeedback();
        }
        orderEngineStores();
        const float now = paramValue[index].load();
        if (sameBits(now, value)) break;
        value = now;
    }
}

// The feedback depends on Decay and on the transposition, which may be set on different threads
// at once: it is computed again until neither changed while it was computed.
void ADelay::settleFeedback()
{
    for (;;)
    {
        orderEngineStores();
        const float decay = paramValue[kDecay].load();
        const float factor = resonator.transposeFactor();
        resonator.setFeedback(orv::feedbackFor(decay, factor));
        orderEngineStores();
        if (sameBits(paramValue[kDecay].load(), decay) && resonator.transposeFactor() == factor)
            return;
    }
}

// The engine stores its values with relaxed atomics. One read-modify-write of a counter that
// every setting thread shares, between a thread's engine stores and its reading of the live
// values, orders them with the other threads': of two threads, either the later one reads what
// the earlier one set, or its engine stores come after the earlier one's.
void ADelay::orderEngineStores()
{
    engineOrder.fetch_add(1);
}

float ADelay::getParameter(VstInt32 index)
{
    return isParameterIndex(index) ? paramValue[index].load(std::memory_order_relaxed) : 0.0f;
}

void ADelay::getParameterName(VstInt32 index, char* text)
{
    if (isParameterIndex(index)) copyText(text, kParameterInfo[index].name);
}

void ADelay::getParameterLabel(VstInt32 index, char* text)
{
    if (isParameterIndex(index)) copyText(text, kParameterInfo[index].label);
}

void ADelay::getParameterDisplay(VstInt32 index, char* text)
{
    if (!isParameterIndex(index)) return;
    const double v = paramValue[index].load(std::memory_order_relaxed);
    switch (index)
    {
    case kOutput:
        dB2string(resonator.outputGain(), text, kVstMaxParamStrLen);
        break;
    case kMix:
        float2string(displayed(resonator.mixAmount() * 100.0), text, kVstMaxParamStrLen);
        break;
    case kTranspose:
        float2string(static_cast<float>(orv::transposeStepFor(static_cast<float>(v)) - 24), text,
                     kVstMaxParamStrLen);
        break;
    case kTune:
        float2string(displayed((v - 0.5) * 200.0), text, kVstMaxParamStrLen);
        break;
    case kBypass:
        copyText(text, resonator.bypassed() ? " bypassed " : " process ");
        break;
    default: // Decay, Damp, Detune: percent of the stored value
        float2string(displayed(v * 100.0), text, kVstMaxParamStrLen);
        break;
    }
}

bool ADelay::getParameterProperties(VstInt32 index, VstParameterProperties* properties)
{
    if (index != kBypass) return false;
    // A switch with a step of 1: hosts show it as an on/off control.
    properties->flags = kVstParameterIsSwitch | kVstParameterUsesFloatStep;
    properties->stepFloat = 1.0f;
    properties->smallStepFloat = 1.0f;
    properties->largeStepFloat = 1.0f;
    vst_strncpy(properties->label, kParameterInfo[kBypass].name, kVstMaxLabelLen - 1);
    vst_strncpy(properties->shortLabel, kParameterInfo[kBypass].name, kVstMaxShortLabelLen - 1);
    return true;
}

// Both silence the strings and let Tune and Detune jump to their targets; the parameter and
// engine values stay, so a resumed effect sounds with its last settings.
void ADelay::suspend()
{
    resonator.reset();
}

void ADelay::resume()
{
    resonator.reset();
}

void ADelay::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    resonator.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, getSampleRate());
}

// The identity texts are constants well inside the published buffer limits (32, 64, 64).
bool ADelay::getEffectName(char* name)
{
    std::strcpy(name, "Orv Sympharon");
    return true;
}

bool ADelay::getVendorString(char* text)
{
    std::strcpy(text, "www.orvatone.com");
    return true;
}

bool ADelay::getProductString(char* text)
{
    std::strcpy(text, "Orv Sympharon - string rezonator plug-in");
    return true;
}

void ADelay::installFactoryPrograms()
{
    if (!programs) return;
    for (int i = 0; i < kNumPresetPrograms; ++i)
    {
        ProgramRecord& program = programs[i];
        for (int k = 0; k < kNumProgramValues; ++k)
            program.values[k] = kFactoryPrograms[i].values[k];
        storeProgramName(program, kFactoryPrograms[i].name);
    }
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    return new ADelay(audioMaster);
}
