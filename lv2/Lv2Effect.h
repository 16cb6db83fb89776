// The effect as an LV2 plug-in instance. The effect itself, its state, programs and editor are
// driven through effecthost::EffectInstance, as every face does; this class translates between
// that and LV2: control ports in user units, the state extension, and the editor's requests to
// its host (automation, gestures, display updates) as port writes of the LV2 UI.
#pragma once

#include "effecthost/EffectInstance.h"
#include "effecthost/EffectListener.h"
#include "lv2/EditorBridge.h"
#include "lv2/Ports.h"

#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace orv::lv2
{

class Lv2Effect final : public effecthost::EffectListener
{
public:
    // Null when the effect cannot be made.
    static Lv2Effect* create(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Effect();
    Lv2Effect(const Lv2Effect&) = delete;
    Lv2Effect& operator=(const Lv2Effect&) = delete;

    // The LV2 instance handle, and back.
    LV2_Handle handle() { return &block; }
    static Lv2Effect* fromHandle(LV2_Handle handle);

    // Audio class: may run on the host's audio thread.
    void connectPort(uint32_t port, void* data);
    void run(uint32_t frames);
    // Instantiation class.
    void activate();
    void deactivate();

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle state);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle state);

    // The editor, on the host's UI thread (see EditorBridge.h).
    void* openEditor(const void* ui, void* parent, const OrvLv2UiHost& host, int& width,
                     int& height);
    void idleEditor(const void* ui);
    void portEvent(const void* ui, uint32_t port, float value);
    void closeEditor(const void* ui);

    static const OrvLv2EditorBridge kEditorBridge;

private:
    explicit Lv2Effect(const LV2_Feature* const* features);

    // EffectListener: the editor's requests to its host.
    void parameterAutomated(int32_t index, float value) override;
    void gestureBegan(int32_t index) override;
    void gestureEnded(int32_t index) override;
    void displayUpdated() override;
    bool resizeRequested(int32_t width, int32_t height) override;

    // Applies the control ports that changed since the last look (Audio class).
    void applyControlPorts();
    // The control values that a run would apply next (one bit per parameter, their port values
    // into `values`); with evenSeen, also those it has applied already. Reads the ports and what
    // run has seen, changes nothing: a save may call it while run goes on on another thread.
    uint32_t pendingControls(std::array<float, kNumParams>& values, bool evenSeen) const;

    // The user begins or ends moving a parameter: its port is held meanwhile (see gestures),
    // and a host that offers it learns of the gesture.
    void editorGesture(int32_t index, bool begins);
    bool onEditorThread() const;

    // UI thread: writes a control port through the UI and remembers it as the host's value.
    void writeControl(int32_t parameter, float portValue);
    void sendPendingWrites();

    // Standard layout, so the handle (a pointer to the header) converts back to the block.
    struct InstanceBlock
    {
        OrvLv2InstanceHeader header;
        Lv2Effect* owner;
    };
    InstanceBlock block;

    LV2_URID_Map* map = nullptr;
    LV2_URID programStoreKey = 0;
    LV2_URID chunkType = 0;

    // Ports; the control values are read once at the start of each run.
    std::array<float*, 4> audio{};
    std::array<const float*, kNumParams> controls{};
    // The control values run() last looked at. They start as the described defaults (program
    // "Default"), so ports a host leaves at their defaults never override what the effect
    // started with (its remembered default program, if the user has one). Written by run once
    // it has dealt with the value, read by a save on another thread.
    std::array<std::atomic<float>, kNumParams> seen{};
    // Counts up once as run begins changing `seen` and the store, and once as it ends: odd while
    // it is at it. A save reads both between two changes.
    std::atomic<uint32_t> portApplies{0};
    // Set by a restore that loaded a program store: the next look at the ports takes their
    // values as seen without applying them, so the restored state wins whether the host sets the
    // ports before or after restoring it.
    std::atomic<bool> adoptPortsOnNextRun{false};

    // Parameters the user is moving in the editor (between its begin and end of edit): the
    // editor is their source, and older values still coming back through the ports are not
    // applied over it.
    std::atomic<uint32_t> gestures{0};

    // The UI side. All of this belongs to the UI thread, except the pending writes, which
    // automation from another thread leaves for the next idle.
    const void* activeUi = nullptr;
    OrvLv2UiHost uiHost{};
    std::array<float, kNumParams> hostControlValue{}; // the host's port value as last known
    std::array<std::atomic<float>, kNumParams> pendingValue{};
    std::atomic<uint32_t> pendingWrites{0};
    // A program was applied (display update): the ports that differ from the effect are
    // written at the next idle.
    std::atomic<bool> resyncRequested{false};

    // Last, so that it goes first: the effect and its editor close before the state above.
    std::unique_ptr<effecthost::EffectInstance> instance;
};

} // namespace orv::lv2
