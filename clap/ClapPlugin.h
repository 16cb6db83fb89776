// One CLAP plug-in instance: the effect (through effecthost::EffectInstance) behind the CLAP
// instance record and its extensions. It translates and holds nothing of the sound, programs or
// editor itself:
// - parameters are the effect's eight, with ids 0..7, in the units of effecthost/ParameterUnits
//   and with the editor's value texts; host changes arrive as events at sample offsets (process)
//   or without time (flush);
// - the state is the effect's 368-byte chunk;
// - the editor is the effect's own, embedded into the host's window; on X11 the host's timer and
//   its watch of the editor's X connection drive it;
// - the editor's gestures and values go back to the host as events of the next process or flush,
//   program changes as a rescan of the values.
// Threads: the CLAP rules. process, reset, start/stop_processing and flush while active run on
// the audio thread and allocate, lock and call the system for nothing; everything else runs on
// the main thread.
#pragma once

#include "clap/ClapAbi.h"
#include "clap/OutgoingEvents.h"
#include "effecthost/EffectInstance.h"
#include "effecthost/EffectListener.h"
#include "effecthost/ParameterChanges.h"

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace orv::clap
{

class ClapPlugin final : public effecthost::EffectListener
{
public:
    // The instance record for a host, or null when the effect cannot be made. The record is
    // freed by its destroy function.
    static const clap_plugin* create(const clap_host* host,
                                     const clap_plugin_descriptor* descriptor);

    // EffectListener: the effect's requests.
    void parameterAutomated(int32_t index, float value) override;
    void gestureBegan(int32_t index) override;
    void gestureEnded(int32_t index) override;
    void displayUpdated() override;
    bool resizeRequested(int32_t width, int32_t height) override;

    ~ClapPlugin();
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

private:
    ClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor);
    static ClapPlugin* from(const clap_plugin* plugin);

    // Life cycle
    bool init();
    bool activate(double sampleRate, uint32_t maxFrames);
    void deactivate();
    void reset();
    int32_t process(const clap_process& process);
    const void* extension(const char* id) const;
    void onMainThread();

    // Parameters
    bool paramInfo(uint32_t index, clap_param_info& info) const;
    bool paramValue(clap_id id, double& value) const;
    bool valueToText(clap_id id, double value, char* text, uint32_t capacity) const;
    bool textToValue(clap_id id, const char* text, double& value) const;
    void flush(const clap_input_events* in, const clap_output_events* out);

    // State
    bool save(const clap_ostream& stream) const;
    bool load(const clap_istream& stream);

    // Presets: a factory program by its load key (see PresetDiscovery.h).
    bool loadPreset(uint32_t kind, const char* location, const char* key);

    // Editor
    bool guiCreate(const char* api, bool floating);
    void guiDestroy();
    bool guiSize(uint32_t& width, uint32_t& height) const;
    bool guiSetParent(const clap_window& window);
    void onTimer(clap_id timer);
    void onFd(int fd, uint32_t flags);

    // Reads the host's parameter events into `changes` (process) or applies them at once
    // (flush, changes null).
    void readEvents(const clap_input_events* in, effecthost::ParameterChanges* changes);
    // Passes the editor's pending gestures and values to the host.
    void writeEvents(const clap_output_events* out);
    // Processes a block whose inputs share memory with its outputs through a copy of the input.
    void processThroughCopy(const float* const* inputs, float* const* outputs, int32_t frames);
    // Asks the host for a flush, from a thread where that is allowed.
    void requestFlush();
    bool onMainThreadNow() const;
    void unregisterEditorLoop();

    // The extension tables: their functions forward to the instance.
    static const clap_plugin_params kParams;
    static const clap_plugin_state kState;
    static const clap_plugin_tail kTail;
    static const clap_plugin_gui kGui;
    static const clap_plugin_timer_support kTimerSupport;
    static const clap_plugin_posix_fd_support kFdSupport;
    static const clap_plugin_preset_load kPresetLoad;

    clap_plugin record{};
    const clap_host* host;
    std::unique_ptr<effecthost::EffectInstance> instance;

    // The host's extensions, asked for in init; any may be missing.
    const clap_host_params* hostParams = nullptr;
    const clap_host_state* hostState = nullptr;
    const clap_host_gui* hostGui = nullptr;
    const clap_host_timer_support* hostTimers = nullptr;
    const clap_host_posix_fd_support* hostFds = nullptr;
    const clap_host_thread_check* hostThreadCheck = nullptr;
    const clap_host_preset_load* hostPresetLoad = nullptr;
    std::thread::id mainThread;

    bool active = false;
    // The host's last value of each parameter in its unit. get_value returns it while the effect
    // still holds the normalized value it stands for, so the host reads back what it set.
    std::array<std::atomic<double>, effecthost::EffectInstance::kNumParameters> hostValue{};

    effecthost::ParameterChanges changes;
    effecthost::ParameterChanges pieceChanges;
    // Copies of the input for hosts that process in place (allocated at activation).
    std::vector<float> inputCopy;
    int32_t inputCopyFrames = 0;

    OutgoingEvents outgoing;
    // Requests to the host left for its next on_main_thread call.
    std::atomic<bool> rescanPending{false};
    std::atomic<bool> dirtyPending{false};
    bool loadingState = false;

    // The editor: created (gui.create) and open in the host's window (set_parent).
    bool guiCreated = false;
    clap_id timerId = CLAP_INVALID_ID;
    int watchedFd = -1;
};

} // namespace orv::clap
