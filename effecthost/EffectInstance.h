// One instance of the effect as a plug-in face sees it. It creates the effect through the
// library's own constructor function with a host callback of its own and drives it through the
// VST 2.4 effect record as a host does, so every face (LV2, VST3, CLAP) gets the same sound,
// programs, chunk and editor. What the effect asks of its host reaches the face through
// EffectListener.
//
// Threads: process() runs on the face's audio thread and allocates, locks and calls the system
// for nothing; setParameter may be called from any thread; everything else belongs to the host's
// main (user-interface) thread.
#pragma once

#include "effecthost/EffectListener.h"
#include "effecthost/ParameterChanges.h"
#include "plugin/vst24.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class AudioEffect;
class CPresetSystemEffect;

namespace orv::effecthost
{

class EffectInstance
{
public:
    static constexpr int32_t kNumParameters = 8;
    static constexpr int32_t kNumPrograms = 6;
    static constexpr int32_t kStateSize = 368;
    using State = std::array<uint8_t, kStateSize>;

    // Null when the effect cannot be made. The listener (may be null) must outlive the instance.
    static std::unique_ptr<EffectInstance> create(EffectListener* listener);
    ~EffectInstance();
    EffectInstance(const EffectInstance&) = delete;
    EffectInstance& operator=(const EffectInstance&) = delete;

    // Set-up while suspended.
    void setSampleRate(double rate);
    void setBlockSize(int32_t frames);
    double sampleRate() const { return rate; }
    // The strings start silent at resume; suspend and resume are idempotent.
    void resume();
    void suspend();
    bool resumed() const { return isResumed; }

    // Normalized values of parameters 0..7 (other indices: 0 and nothing set).
    float parameter(int32_t index) const;
    void setParameter(int32_t index, float value);

    // The whole program store: all six programs, their names and the current one.
    State state() const;
    // The same into `bytes`; false, and `bytes` unchanged, when the effect gives no store.
    bool readState(State& bytes) const;
    // Refuses (false, nothing changed) data of another size or that the effect does not take.
    bool setState(const void* data, size_t size);

    // The six programs of the store.
    std::string programName(int32_t index) const; // UTF-8; empty for other indices
    int32_t currentProgram() const;
    // Makes program `index` current and applies it (0..5; anything else changes nothing).
    void selectProgram(int32_t index);

    // Processes `frames` stereo samples, applying each change at its offset (the block is cut
    // there). Null inputs are silence; null outputs process nothing but still apply the changes.
    // The output does not depend on where blocks are cut: it equals the VST 2.4 plug-in's for
    // blocks of even length.
    void process(const float* const* inputs, float* const* outputs, int32_t frames,
                 const ParameterChanges& changes);

    // Samples the strings need to fall silent (80 dB down) at the current Decay and sample rate.
    uint32_t tailSamples() const;

    // The editor. Its size, or false without one.
    bool editorSize(int32_t& width, int32_t& height);
    // Opens it as a child of the native window `parent` (an X11 window id or an HWND); false,
    // and nothing left open, when no window could be made.
    bool openEditor(void* parent);
    bool editorOpen() const { return isEditorOpen; }
    // The open editor's own window (an X11 window id or an HWND); null when none is open.
    void* editorWindow();
    // Handles the window's events and redraws it (a host's timer or run loop calls this).
    void idleEditor();
    void closeEditor();
    // The file descriptor of the open editor's connection to its window system, which becomes
    // readable when events wait (Linux); -1 when there is none.
    int editorEventDescriptor();
    // Asks the editor to draw at `factor` times its size; true when it does.
    bool setContentScale(float factor);

private:
    EffectInstance() = default;

    static VstIntPtr hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    void runSegment(const float* const* inputs, float* const* outputs, int32_t start,
                    int32_t frames);

    AudioEffect* effect = nullptr;
    CPresetSystemEffect* store = nullptr;
    AEffect* record = nullptr;
    EffectListener* listener = nullptr;
    double rate = 44100.0;
    bool isResumed = false;
    bool isEditorOpen = false;
    // Stands in for missing inputs.
    static constexpr int32_t kSilenceFrames = 256;
    std::array<float, kSilenceFrames> silence{};
};

} // namespace orv::effecthost
