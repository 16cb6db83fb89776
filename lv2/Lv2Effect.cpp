#include "lv2/Lv2Effect.h"
#include "lv2/Uris.h"

#include "effect/FactoryPrograms.h"
#include "effect/ParameterTable.h"
#include "effecthost/ParameterChanges.h"
#include "presets/CPresetSystemEffect.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <thread>

namespace orv::lv2
{
namespace
{
// The instance whose editor function is running on this thread, if any: the editor's requests
// to its host that arrive during such a call come from the editor itself on the UI thread and
// can be passed to the UI at once.
thread_local const Lv2Effect* editorCallOwner = nullptr;

class EditorCall
{
public:
    explicit EditorCall(const Lv2Effect* effect) : previous(editorCallOwner)
    {
        editorCallOwner = effect;
    }
    ~EditorCall() { editorCallOwner = previous; }
    EditorCall(const EditorCall&) = delete;
    EditorCall& operator=(const EditorCall&) = delete;

private:
    const Lv2Effect* previous;
};

const void* findFeature(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

uint32_t bitOf(int32_t parameter)
{
    return 1u << parameter;
}

// True when a port value and a normalized value stand for the same setting, either way round.
bool portHolds(int32_t parameter, float portValue, float normalized)
{
    return portValue == toUnitValue(parameter, normalized) ||
           sameBits(toNormalized(parameter, portValue), normalized);
}

// Larger blocks than the effect record's 32-bit frame count are processed in parts.
constexpr uint32_t kMaxFramesPerCall = 1u << 30;

// How often a save reads the store again while runs keep applying control ports.
constexpr int kSaveAttempts = 1000;

// Control ports apply once a run, before its audio: a run's block is not cut.
const effecthost::ParameterChanges kNoChanges;
} // namespace

const OrvLv2EditorBridge Lv2Effect::kEditorBridge = {
    [](LV2_Handle instance, const void* ui, void* parent, const OrvLv2UiHost* host, int* width,
       int* height) -> void*
    {
        Lv2Effect* self = fromHandle(instance);
        if (!self || !ui || !host || !width || !height) return nullptr;
        return self->openEditor(ui, parent, *host, *width, *height);
    },
    [](LV2_Handle instance, const void* ui)
    {
        if (Lv2Effect* self = fromHandle(instance)) self->idleEditor(ui);
    },
    [](LV2_Handle instance, const void* ui, uint32_t port, float value)
    {
        if (Lv2Effect* self = fromHandle(instance)) self->portEvent(ui, port, value);
    },
    [](LV2_Handle instance, const void* ui)
    {
        if (Lv2Effect* self = fromHandle(instance)) self->closeEditor(ui);
    },
};

Lv2Effect::Lv2Effect(const LV2_Feature* const* features)
    : block{{ORV_LV2_BRIDGE_MAGIC, ORV_LV2_BRIDGE_VERSION, &kEditorBridge}, this}
{
    map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    if (map)
    {
        programStoreKey = map->map(map->handle, ORV_LV2_PROGRAM_STORE_URI);
        chunkType = map->map(map->handle, LV2_ATOM__Chunk);
    }
    for (int32_t k = 0; k < kNumParams; ++k)
        seen[static_cast<size_t>(k)].store(toUnitValue(k, kFactoryPrograms[0].values[k]));
    hostControlValue.fill(std::numeric_limits<float>::quiet_NaN());
}

Lv2Effect* Lv2Effect::create(double sampleRate, const LV2_Feature* const* features)
{
    // The effect runs at a rate it can hold as a float; no such rate is zero, negative or no
    // number at all.
    if (!(sampleRate > 0.0) || !(sampleRate <= std::numeric_limits<float>::max())) return nullptr;
    try
    {
        std::unique_ptr<Lv2Effect> self(new Lv2Effect(features));
        // LV2 hosts cut blocks anywhere (single frames, automation points): the instance's
        // output does not depend on it and equals the VST 2.4 plug-in's for even blocks.
        self->instance = effecthost::EffectInstance::create(self.get());
        if (!self->instance) return nullptr;
        self->instance->setSampleRate(sampleRate);
        // A remembered default program makes the effect start elsewhere than the described
        // defaults: the host learns its values when the editor first opens.
        for (int32_t k = 0; k < kNumParams; ++k)
            if (!portHolds(k, self->seen[static_cast<size_t>(k)].load(),
                           self->instance->parameter(k)))
                self->resyncRequested.store(true);
        return self.release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

Lv2Effect::~Lv2Effect() = default;

Lv2Effect* Lv2Effect::fromHandle(LV2_Handle handle)
{
    auto* b = static_cast<InstanceBlock*>(handle);
    return b && b->header.magic == ORV_LV2_BRIDGE_MAGIC ? b->owner : nullptr;
}

void Lv2Effect::connectPort(uint32_t port, void* data)
{
    if (port < kFirstControlPort)
        audio[port] = static_cast<float*>(data);
    else if (port < kNumPorts)
        controls[port - kFirstControlPort] = static_cast<const float*>(data);
}

void Lv2Effect::applyControlPorts()
{
    const uint32_t moving = gestures.load(std::memory_order_relaxed);
    const bool adopt = adoptPortsOnNextRun.load(std::memory_order_relaxed);
    bool applying = false;
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        const float* port = controls[static_cast<size_t>(k)];
        if (!port) continue;
        const float p = *port;
        std::atomic<float>& last = seen[static_cast<size_t>(k)];
        if (sameBits(p, last.load(std::memory_order_relaxed))) continue;
        // A save on another thread learns that the store and what run has seen are changing
        // (see save).
        if (!applying) portApplies.fetch_add(1);
        applying = true;
        // The value the effect holds already (an echo of the editor's own port write, or the
        // port value that came with restored state) is not applied again: a conversion back
        // could move it by a rounding step.
        if (!adopt && !std::isnan(p) && !(moving & bitOf(k)) &&
            !portHolds(k, p, instance->parameter(k)))
            instance->setParameter(k, toNormalized(k, p));
        last.store(p);
    }
    if (applying) portApplies.fetch_add(1);
    adoptPortsOnNextRun.store(false, std::memory_order_relaxed);
}

uint32_t Lv2Effect::pendingControls(std::array<float, kNumParams>& values, bool evenSeen) const
{
    if (adoptPortsOnNextRun.load(std::memory_order_relaxed)) return 0;
    const uint32_t moving = gestures.load(std::memory_order_relaxed);
    uint32_t pending = 0;
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        const float* port = controls[static_cast<size_t>(k)];
        if (!port) continue;
        const float p = *port;
        // The choice applyControlPorts makes. A value it has seen is in the store.
        if ((!evenSeen && sameBits(p, seen[static_cast<size_t>(k)].load())) || std::isnan(p) ||
            (moving & bitOf(k)))
            continue;
        values[static_cast<size_t>(k)] = p;
        pending |= bitOf(k);
    }
    return pending;
}

void Lv2Effect::run(uint32_t frames)
{
    applyControlPorts();
    if (!audio[kInLeft] || !audio[kInRight] || !audio[kOutLeft] || !audio[kOutRight]) return;
    for (uint32_t done = 0; done < frames;)
    {
        const uint32_t n = frames - done < kMaxFramesPerCall ? frames - done : kMaxFramesPerCall;
        const float* inputs[2] = {audio[kInLeft] + done, audio[kInRight] + done};
        float* outputs[2] = {audio[kOutLeft] + done, audio[kOutRight] + done};
        instance->process(inputs, outputs, static_cast<int32_t>(n), kNoChanges);
        done += n;
    }
}

void Lv2Effect::activate()
{
    // Values the host set before activating take effect before the strings start, as a VST
    // host's settings do before it resumes: Tune and Detune stand at their values instead of
    // gliding there.
    applyControlPorts();
    instance->resume();
}

void Lv2Effect::deactivate()
{
    instance->suspend();
}

LV2_State_Status Lv2Effect::save(LV2_State_Store_Function store, LV2_State_Handle state)
{
    // A map that answers 0 has given no key to store under (0 is no URID).
    if (!map || !programStoreKey || !chunkType) return LV2_STATE_ERR_NO_FEATURE;
    // The saved store holds what the host shows: control values that no run has taken yet (set
    // just before the save, or while the instance is inactive) go into the saved copy, as the
    // next run will store them; otherwise a restore, where the store wins, would lose them.
    // A run may be going on on another thread: the effect itself is not changed here. What run
    // has seen and the store are read together, between two of its applications of the ports
    // (a run that has stored a value but not yet marked it seen would otherwise leave the old
    // mark over the new value). Runs apply the ports for a moment once a block, so the reading
    // is repeated until it falls between two; a host that never leaves such a moment gets every
    // port that differs from the store in the saved copy, which is what it shows.
    std::array<float, kNumParams> portValues{};
    uint32_t pending = 0;
    effecthost::EffectInstance::State chunk;
    for (int attempt = 0;; ++attempt)
    {
        const uint32_t before = portApplies.load();
        pending = pendingControls(portValues, false);
        if (!instance->readState(chunk)) return LV2_STATE_ERR_UNKNOWN;
        if (!(before & 1u) && before == portApplies.load()) break;
        if (attempt == kSaveAttempts)
        {
            pending = pendingControls(portValues, true);
            break;
        }
        std::this_thread::yield();
    }
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        if (!(pending & bitOf(k))) continue;
        const float p = portValues[static_cast<size_t>(k)];
        // A port that stands for the current program's value already keeps that value (a
        // conversion back could move it by a rounding step). It is still written: a run storing
        // a value that belongs in every program may have reached only some of them when the
        // chunk was read.
        const float current = CPresetSystemEffect::chunkValue(chunk.data(), k);
        const float value =
            portHolds(k, p, current) ? current : storableValue(toNormalized(k, p), 0.0f);
        CPresetSystemEffect::putChunkValue(chunk.data(), k, value, isGlobalParameter(k));
    }
    // The chunk is plain bytes; a machine of the other byte order reads it too.
    return store(state, programStoreKey, chunk.data(), chunk.size(), chunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Effect::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle state)
{
    if (!map || !programStoreKey || !chunkType) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(state, programStoreKey, &size, &type, &flags);
    // A state without a program store (a preset of port values only, or a host clearing the
    // state) leaves the programs as they are; the port values carry the settings.
    if (!data) return LV2_STATE_SUCCESS;
    if (type != chunkType) return LV2_STATE_ERR_BAD_TYPE;
    // A store of another size, or one the effect does not take, changes nothing.
    if (!instance->setState(data, size)) return LV2_STATE_ERR_UNKNOWN;
    adoptPortsOnNextRun.store(true, std::memory_order_relaxed);
    return LV2_STATE_SUCCESS;
}

void* Lv2Effect::openEditor(const void* ui, void* parent, const OrvLv2UiHost& host, int& width,
                            int& height)
{
    EditorCall call(this);
    // One editor per effect: a second UI takes it over from the first.
    if (activeUi) closeEditor(activeUi);
    // The host's scale reaches the editor the way every face gives it, before its size is read.
    if (host.scaleFactor > 0) instance->setContentScale(host.scaleFactor);
    // The editor may ask for a new size while it opens.
    uiHost = host;
    int32_t w = 0;
    int32_t h = 0;
    // The instance closes an editor that got no window of its own again.
    if (!parent || !host.write || !instance->editorSize(w, h) || !instance->openEditor(parent))
    {
        uiHost = OrvLv2UiHost{};
        return nullptr;
    }
    void* window = instance->editorWindow();
    activeUi = ui;
    hostControlValue.fill(std::numeric_limits<float>::quiet_NaN());
    width = w;
    height = h;
    return window;
}

void Lv2Effect::idleEditor(const void* ui)
{
    if (!ui || ui != activeUi) return;
    EditorCall call(this);
    instance->idleEditor();
    sendPendingWrites();
}

void Lv2Effect::portEvent(const void* ui, uint32_t port, float value)
{
    if (!ui || ui != activeUi || port < kFirstControlPort || port >= kNumPorts) return;
    hostControlValue[port - kFirstControlPort] = value;
}

void Lv2Effect::closeEditor(const void* ui)
{
    if (!ui || ui != activeUi) return;
    EditorCall call(this);
    instance->closeEditor();
    activeUi = nullptr;
    uiHost = OrvLv2UiHost{};
    // A gesture cut short by the closing window ends here: the ports are followed again.
    gestures.store(0, std::memory_order_relaxed);
}

void Lv2Effect::writeControl(int32_t parameter, float portValue)
{
    if (!uiHost.write) return;
    hostControlValue[static_cast<size_t>(parameter)] = portValue;
    uiHost.write(uiHost.controller, kFirstControlPort + static_cast<uint32_t>(parameter),
                 sizeof portValue, 0, &portValue);
}

void Lv2Effect::sendPendingWrites()
{
    const uint32_t pending = pendingWrites.exchange(0, std::memory_order_acquire);
    for (int32_t k = 0; k < kNumParams; ++k)
        if (pending & bitOf(k))
            writeControl(k, pendingValue[static_cast<size_t>(k)].load(std::memory_order_relaxed));
    if (!resyncRequested.exchange(false)) return;
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        const float value = instance->parameter(k);
        if (!portHolds(k, hostControlValue[static_cast<size_t>(k)], value))
            writeControl(k, toUnitValue(k, value));
    }
}

bool Lv2Effect::onEditorThread() const
{
    return editorCallOwner == this;
}

void Lv2Effect::parameterAutomated(int32_t index, float value)
{
    const float portValue = toUnitValue(index, value);
    if (onEditorThread())
    {
        writeControl(index, portValue);
        return;
    }
    pendingValue[static_cast<size_t>(index)].store(portValue, std::memory_order_relaxed);
    pendingWrites.fetch_or(bitOf(index), std::memory_order_release);
}

void Lv2Effect::gestureBegan(int32_t index)
{
    editorGesture(index, true);
}

void Lv2Effect::gestureEnded(int32_t index)
{
    editorGesture(index, false);
}

void Lv2Effect::editorGesture(int32_t index, bool begins)
{
    if (begins)
        gestures.fetch_or(bitOf(index), std::memory_order_relaxed);
    else
        gestures.fetch_and(~bitOf(index), std::memory_order_relaxed);
    if (onEditorThread() && uiHost.touch && uiHost.touch->touch)
        uiHost.touch->touch(uiHost.touch->handle, kFirstControlPort + static_cast<uint32_t>(index),
                            begins);
}

void Lv2Effect::displayUpdated()
{
    // A program was applied (or renamed): the ports follow at the editor's next idle.
    resyncRequested.store(true);
}

// The editor's new size (a new scale): the host resizes its window when it can.
bool Lv2Effect::resizeRequested(int32_t width, int32_t height)
{
    return uiHost.resize && uiHost.resize->ui_resize &&
           uiHost.resize->ui_resize(uiHost.resize->handle, width, height) == 0;
}

} // namespace orv::lv2
