#include "effecthost/EffectInstance.h"

#include "editorglue/AEffGUIEditor.h"
#include "effect/ADelay.h"
#include "engine/ParameterMapping.h"
#include "engine/ResonatorCore.h"
#include "plugin/AudioEffect.h"
#include "plugin/PluginEntry.h"
#include "presets/CPresetSystemEffect.h"
#include "text/TextBytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace orv::effecthost
{
namespace
{
bool isParameter(int32_t index)
{
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(EffectInstance::kNumParameters);
}

constexpr int32_t fourCharCode(char a, char b, char c, char d)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 |
                                static_cast<uint32_t>(c) << 8 | static_cast<uint32_t>(d));
}

// The editor's content scale request: effVendorSpecific with these two codes and the factor.
constexpr int32_t kScaleVendor = fourCharCode('P', 'r', 'e', 'S');
constexpr int32_t kScaleRequest = fourCharCode('A', 'e', 'C', 's');

VSTGUI::IPlatformFrame* platformFrameOf(AudioEffect* effect)
{
    auto* editor = dynamic_cast<AEffGUIEditor*>(effect->getEditor());
    VSTGUI::CFrame* frame = editor ? editor->getFrame() : nullptr;
    return frame ? frame->getPlatformFrame() : nullptr;
}
} // namespace

std::unique_ptr<EffectInstance> EffectInstance::create(EffectListener* listener)
{
    try
    {
        std::unique_ptr<EffectInstance> self(new EffectInstance());
        self->listener = listener;
        self->effect = createEffectInstance(&hostCallback);
        if (!self->effect) return nullptr;
        self->record = self->effect->getAeffect();
        self->store = dynamic_cast<CPresetSystemEffect*>(self->effect);
        // Hosts of these formats cut blocks anywhere (at every parameter change): the output
        // must not depend on it. It equals what the VST 2.4 plug-in gives for even blocks.
        if (auto* delay = dynamic_cast<ADelay*>(self->effect))
            delay->setDenormalOffsetCarried(true);
        self->record->user = self.get();
        self->dispatch(effOpen);
        self->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(self->rate));
        return self;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

EffectInstance::~EffectInstance()
{
    // effClose deletes the effect, and with it the editor and any window still open.
    if (record)
    {
        record->user = nullptr;
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
}

VstIntPtr EffectInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) const
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

VstIntPtr EffectInstance::hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index,
                                       VstIntPtr value, void*, float opt)
{
    if (opcode == audioMasterVersion) return kVstVersion;
    // Requests made while the effect is being built come before the record knows its instance.
    auto* self = record ? static_cast<EffectInstance*>(record->user) : nullptr;
    if (!self || !self->listener) return 0;
    switch (opcode)
    {
    case audioMasterAutomate:
        if (isParameter(index)) self->listener->parameterAutomated(index, opt);
        return 0;
    case audioMasterBeginEdit:
        if (isParameter(index)) self->listener->gestureBegan(index);
        return 1;
    case audioMasterEndEdit:
        if (isParameter(index)) self->listener->gestureEnded(index);
        return 1;
    case audioMasterUpdateDisplay:
        self->listener->displayUpdated();
        return 1;
    case audioMasterSizeWindow:
        return self->listener->resizeRequested(index, static_cast<int32_t>(value)) ? 1 : 0;
    default:
        return 0;
    }
}

void EffectInstance::setSampleRate(double sampleRate)
{
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return;
    rate = sampleRate;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
}

void EffectInstance::setBlockSize(int32_t frames)
{
    if (frames > 0) dispatch(effSetBlockSize, 0, frames);
}

void EffectInstance::resume()
{
    if (isResumed) return;
    dispatch(effMainsChanged, 0, 1);
    isResumed = true;
}

void EffectInstance::suspend()
{
    if (!isResumed) return;
    dispatch(effMainsChanged, 0, 0);
    isResumed = false;
}

float EffectInstance::parameter(int32_t index) const
{
    return isParameter(index) ? record->getParameter(record, index) : 0.0f;
}

void EffectInstance::setParameter(int32_t index, float value)
{
    if (isParameter(index)) record->setParameter(record, index, value);
}

EffectInstance::State EffectInstance::state() const
{
    State bytes{};
    readState(bytes);
    return bytes;
}

bool EffectInstance::readState(State& bytes) const
{
    void* data = nullptr;
    if (dispatch(effGetChunk, 0, 0, &data) != kStateSize || !data) return false;
    std::memcpy(bytes.data(), data, bytes.size());
    return true;
}

bool EffectInstance::setState(const void* data, size_t size)
{
    if (!data || size != static_cast<size_t>(kStateSize)) return false;
    // The effect reads from a buffer it may not keep: hand it a copy.
    State copy;
    std::memcpy(copy.data(), data, copy.size());
    return dispatch(effSetChunk, 0, kStateSize, copy.data()) == 0;
}

std::string EffectInstance::programName(int32_t index) const
{
    char name[kVstMaxProgNameLen + 40] = {};
    if (index < 0 || index >= kNumPrograms ||
        dispatch(effGetProgramNameIndexed, index, 0, name) == 0)
        return {};
    return orv::toDisplayUtf8(name);
}

int32_t EffectInstance::currentProgram() const
{
    return store ? store->getCurrentProgramIndex() : 0;
}

void EffectInstance::selectProgram(int32_t index)
{
    if (store && index >= 0 && index < kNumPrograms) store->selectProgram(index);
}

void EffectInstance::runSegment(const float* const* inputs, float* const* outputs, int32_t start,
                                int32_t frames)
{
    if (frames <= 0 || !outputs || !outputs[0] || !outputs[1]) return;
    if (inputs && inputs[0] && inputs[1])
    {
        float* in[2] = {const_cast<float*>(inputs[0]) + start,
                        const_cast<float*>(inputs[1]) + start};
        float* out[2] = {outputs[0] + start, outputs[1] + start};
        record->processReplacing(record, in, out, frames);
        return;
    }
    // Without inputs the effect hears silence, a piece at a time.
    for (int32_t done = 0; done < frames;)
    {
        const int32_t n = std::min(frames - done, kSilenceFrames);
        float* in[2] = {silence.data(), silence.data()};
        float* out[2] = {outputs[0] + start + done, outputs[1] + start + done};
        record->processReplacing(record, in, out, n);
        done += n;
    }
}

void EffectInstance::process(const float* const* inputs, float* const* outputs, int32_t frames,
                             const ParameterChanges& changes)
{
    if (frames < 0) frames = 0;
    int32_t position = 0;
    for (int32_t i = 0; i < changes.size(); ++i)
    {
        const ParameterChange& change = changes[i];
        const int32_t at = std::min(change.offset, frames);
        if (at > position)
        {
            runSegment(inputs, outputs, position, at - position);
            position = at;
        }
        setParameter(change.index, change.value);
    }
    runSegment(inputs, outputs, position, frames - position);
}

uint32_t EffectInstance::tailSamples() const
{
    // Each round trip of a string multiplies its sound by the feedback; Transpose scales the
    // feedback so that the loss per second is the same at every transposition. The lowest string
    // (tuned and detuned down) takes longest; the damping filter only shortens the tail.
    const float transpose = transposeFactorFor(transposeStepFor(parameter(kTranspose)));
    const double feedback = feedbackFor(parameter(kDecay), transpose);
    const double lowest = ResonatorCore::kBaseFrequency[0] * transpose / std::pow(2.0, 3.0 / 12.0);
    if (!(feedback > 0.0) || !(feedback < 1.0)) return 0xFFFFFFFEu;
    const double seconds = std::log(1e-4) / (lowest * std::log(feedback));
    const double samples = std::ceil(seconds * rate);
    return samples < 4.0e9 ? static_cast<uint32_t>(samples) : 4000000000u;
}

bool EffectInstance::editorSize(int32_t& width, int32_t& height)
{
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

bool EffectInstance::openEditor(void* parent)
{
    if (isEditorOpen) closeEditor();
    if (!parent) return false;
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) return false;
    if (dispatch(effEditOpen, 0, 0, parent) == 0) return false;
    VSTGUI::IPlatformFrame* frame = platformFrameOf(effect);
    if (!frame || !frame->getNativeWindow())
    {
        dispatch(effEditClose);
        return false;
    }
    isEditorOpen = true;
    return true;
}

void EffectInstance::idleEditor()
{
    if (isEditorOpen) dispatch(effEditIdle);
}

void EffectInstance::closeEditor()
{
    if (!isEditorOpen) return;
    dispatch(effEditClose);
    isEditorOpen = false;
}

void* EffectInstance::editorWindow()
{
    VSTGUI::IPlatformFrame* frame = isEditorOpen ? platformFrameOf(effect) : nullptr;
    return frame ? frame->getNativeWindow() : nullptr;
}

int EffectInstance::editorEventDescriptor()
{
    VSTGUI::IPlatformFrame* frame = isEditorOpen ? platformFrameOf(effect) : nullptr;
    return frame ? frame->eventFileDescriptor() : -1;
}

bool EffectInstance::setContentScale(float factor)
{
    if (!(factor > 0.0f) || !std::isfinite(factor)) return false;
    return dispatch(effVendorSpecific, kScaleVendor, kScaleRequest, nullptr, factor) != 0;
}

} // namespace orv::effecthost
