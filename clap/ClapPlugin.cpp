#include "clap/ClapPlugin.h"

#include "clap/GuiPlatform.h"
#include "clap/PresetDiscovery.h"
#include "effect/ParameterTable.h"
#include "effecthost/ParameterText.h"
#include "effecthost/ParameterUnits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

namespace orv::clap
{
namespace
{
using effecthost::ParameterChange;
using effecthost::ParameterChanges;

// The editor's repaint and event tick when the host's timer drives it (the rate VST 2.4 hosts
// call the editor's idle at).
constexpr uint32_t kEditorTimerMs = 30;
// Hosts that process in place get their input copied in pieces of at most this many frames.
constexpr int32_t kLargestInputCopy = 8192;

// Set while this thread runs the instance's audio-thread functions: the host's request_flush
// must not be called from there.
thread_local bool inAudioCall = false;

class AudioCall
{
public:
    AudioCall() : previous(inAudioCall) { inAudioCall = true; }
    ~AudioCall() { inAudioCall = previous; }
    AudioCall(const AudioCall&) = delete;
    AudioCall& operator=(const AudioCall&) = delete;

private:
    bool previous;
};

bool isParameter(clap_id id)
{
    return id < static_cast<clap_id>(kNumParams);
}

bool isStepped(int32_t parameter)
{
    return parameter == kTranspose || parameter == kBypass;
}

// A host's unit value clamped to the parameter's range, or false for NaN.
bool clampedValue(int32_t parameter, double value, double& clamped)
{
    if (std::isnan(value)) return false;
    const double lowest = effecthost::unitMinimum(parameter);
    const double highest = effecthost::unitMaximum(parameter);
    clamped = value < lowest ? lowest : value > highest ? highest : value;
    return true;
}

// The normalized value of a host's unit value, or false for NaN.
bool normalizedOf(int32_t parameter, double value, float& normalized)
{
    double clamped = 0.0;
    if (!clampedValue(parameter, value, clamped)) return false;
    normalized = effecthost::toNormalized(parameter, static_cast<float>(clamped));
    return true;
}

void copyText(char* destination, size_t size, std::string_view text)
{
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
}

std::string_view trimmed(const char* text)
{
    std::string_view s(text);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

template <typename T> const T* hostExtension(const clap_host* host, const char* id)
{
    return host->get_extension ? static_cast<const T*>(host->get_extension(host, id)) : nullptr;
}

// ---- The function tables that need no instance ----

const clap_plugin_audio_ports kAudioPorts = {
    [](const clap_plugin*, bool) -> uint32_t { return 1; },
    [](const clap_plugin*, uint32_t index, bool isInput, clap_audio_port_info* info) -> bool
    {
        if (index != 0 || !info) return false;
        *info = clap_audio_port_info{};
        info->id = 0;
        copyText(info->name, sizeof info->name, isInput ? "Stereo In" : "Stereo Out");
        info->flags = CLAP_AUDIO_PORT_IS_MAIN;
        info->channel_count = 2;
        info->port_type = CLAP_PORT_STEREO;
        // Input and output may share memory: the face copies the input first when they do.
        info->in_place_pair = 0;
        return true;
    },
};

const clap_plugin_latency kLatency = {
    [](const clap_plugin*) -> uint32_t { return 0; },
};

const clap_plugin_render kRender = {
    // Processing costs the same in real time and offline, and nothing must wait for a clock.
    [](const clap_plugin*) -> bool { return false; },
    [](const clap_plugin*, int32_t mode) -> bool
    { return mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE; },
};
} // namespace

ClapPlugin* ClapPlugin::from(const clap_plugin* plugin)
{
    return plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
}

const clap_plugin* ClapPlugin::create(const clap_host* host,
                                      const clap_plugin_descriptor* descriptor)
{
    if (!host) return nullptr;
    try
    {
        std::unique_ptr<ClapPlugin> self(new ClapPlugin(host, descriptor));
        self->instance = effecthost::EffectInstance::create(self.get());
        if (!self->instance) return nullptr;
        return &self.release()->record;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

ClapPlugin::ClapPlugin(const clap_host* h, const clap_plugin_descriptor* descriptor) : host(h)
{
    for (auto& v : hostValue)
        v.store(std::numeric_limits<double>::quiet_NaN());
    record.desc = descriptor;
    record.plugin_data = this;
    record.init = [](const clap_plugin* p) { return from(p)->init(); };
    record.destroy = [](const clap_plugin* p) { delete from(p); };
    record.activate = [](const clap_plugin* p, double rate, uint32_t, uint32_t maxFrames)
    { return from(p)->activate(rate, maxFrames); };
    record.deactivate = [](const clap_plugin* p) { from(p)->deactivate(); };
    record.start_processing = [](const clap_plugin*) { return true; };
    record.stop_processing = [](const clap_plugin*) {};
    record.reset = [](const clap_plugin* p)
    {
        AudioCall call;
        from(p)->reset();
    };
    record.process = [](const clap_plugin* p, const clap_process* process) -> int32_t
    {
        if (!process) return CLAP_PROCESS_ERROR;
        AudioCall call;
        return from(p)->process(*process);
    };
    record.get_extension = [](const clap_plugin* p, const char* id)
    { return id ? from(p)->extension(id) : nullptr; };
    record.on_main_thread = [](const clap_plugin* p) { from(p)->onMainThread(); };
}

ClapPlugin::~ClapPlugin()
{
    // A host that destroys the instance with the editor still open: close it first, while the
    // host's loop still knows our timer and descriptor.
    if (guiCreated) guiDestroy();
    instance.reset();
}

bool ClapPlugin::init()
{
    mainThread = std::this_thread::get_id();
    hostParams = hostExtension<clap_host_params>(host, CLAP_EXT_PARAMS);
    hostState = hostExtension<clap_host_state>(host, CLAP_EXT_STATE);
    hostGui = hostExtension<clap_host_gui>(host, CLAP_EXT_GUI);
    hostTimers = hostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT);
    hostFds = hostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT);
    hostThreadCheck = hostExtension<clap_host_thread_check>(host, CLAP_EXT_THREAD_CHECK);
    hostPresetLoad = hostExtension<clap_host_preset_load>(host, CLAP_EXT_PRESET_LOAD);
    if (!hostPresetLoad)
        hostPresetLoad = hostExtension<clap_host_preset_load>(host, CLAP_EXT_PRESET_LOAD_COMPAT);
    return true;
}

bool ClapPlugin::activate(double sampleRate, uint32_t maxFrames)
{
    // A rate the effect cannot take (not positive, or beyond its single precision) is refused.
    if (maxFrames == 0 || !instance->setSampleRate(sampleRate)) return false;
    const int32_t frames =
        static_cast<int32_t>(std::min<uint32_t>(maxFrames, static_cast<uint32_t>(INT32_MAX)));
    inputCopyFrames = std::min(frames, kLargestInputCopy);
    try
    {
        inputCopy.assign(2 * static_cast<size_t>(inputCopyFrames), 0.0f);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    instance->setBlockSize(frames);
    instance->resume();
    active = true;
    return true;
}

void ClapPlugin::deactivate()
{
    instance->suspend();
    active = false;
}

void ClapPlugin::reset()
{
    // The strings fall silent; the parameters stay.
    instance->suspend();
    instance->resume();
}

const void* ClapPlugin::extension(const char* id) const
{
    const std::string_view name(id);
    if (name == CLAP_EXT_AUDIO_PORTS) return &kAudioPorts;
    if (name == CLAP_EXT_PARAMS) return &kParams;
    if (name == CLAP_EXT_STATE) return &kState;
    if (name == CLAP_EXT_LATENCY) return &kLatency;
    if (name == CLAP_EXT_TAIL) return &kTail;
    if (name == CLAP_EXT_RENDER) return &kRender;
    if (name == CLAP_EXT_GUI) return &kGui;
    if (name == CLAP_EXT_TIMER_SUPPORT) return &kTimerSupport;
    if (name == CLAP_EXT_POSIX_FD_SUPPORT && editorNeedsHostLoop()) return &kFdSupport;
    if (name == CLAP_EXT_PRESET_LOAD || name == CLAP_EXT_PRESET_LOAD_COMPAT) return &kPresetLoad;
    return nullptr;
}

bool ClapPlugin::onMainThreadNow() const
{
    if (hostThreadCheck && hostThreadCheck->is_main_thread)
        return hostThreadCheck->is_main_thread(host);
    return std::this_thread::get_id() == mainThread;
}

void ClapPlugin::onMainThread()
{
    if (rescanPending.exchange(false) && hostParams && hostParams->rescan)
        hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    if (dirtyPending.exchange(false) && hostState && hostState->mark_dirty)
        hostState->mark_dirty(host);
}

// ---- Processing ----

void ClapPlugin::readEvents(const clap_input_events* in, ParameterChanges* blockChanges)
{
    if (!in || !in->size || !in->get) return;
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i)
    {
        const clap_event_header* header = in->get(in, i);
        if (!header || header->space_id != CLAP_CORE_EVENT_SPACE_ID ||
            header->type != CLAP_EVENT_PARAM_VALUE || header->size < sizeof(clap_event_param_value))
            continue;
        const auto* event = reinterpret_cast<const clap_event_param_value*>(header);
        if (!isParameter(event->param_id)) continue;
        const auto parameter = static_cast<int32_t>(event->param_id);
        double value = 0.0;
        if (!clampedValue(parameter, event->value, value)) continue;
        const float normalized = effecthost::toNormalized(parameter, static_cast<float>(value));
        hostValue[parameter].store(value, std::memory_order_relaxed);
        if (blockChanges)
        {
            const uint32_t time = std::min<uint32_t>(header->time, INT32_MAX);
            blockChanges->add(static_cast<int32_t>(time), parameter, normalized);
        }
        else
        {
            instance->setParameter(parameter, normalized);
        }
    }
}

void ClapPlugin::writeEvents(const clap_output_events* out)
{
    if (!out || !out->try_push) return;
    outgoing.drain(
        [out](const OutgoingEvent& e)
        {
            if (e.type == CLAP_EVENT_PARAM_VALUE)
            {
                clap_event_param_value event{};
                event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, e.type, 0};
                event.param_id = e.param;
                event.cookie = nullptr;
                event.note_id = -1;
                event.port_index = -1;
                event.channel = -1;
                event.key = -1;
                event.value = e.value;
                return out->try_push(out, &event.header);
            }
            clap_event_param_gesture event{};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, e.type, 0};
            event.param_id = e.param;
            return out->try_push(out, &event.header);
        });
}

int32_t ClapPlugin::process(const clap_process& p)
{
    changes.clear();
    readEvents(p.in_events, &changes);
    writeEvents(p.out_events);

    const auto frames = static_cast<int32_t>(std::min<uint32_t>(p.frames_count, INT32_MAX));
    const clap_audio_buffer* in = p.audio_inputs_count > 0 ? p.audio_inputs : nullptr;
    clap_audio_buffer* out = p.audio_outputs_count > 0 ? p.audio_outputs : nullptr;
    const float* const* inputs = in && in->data32 && in->channel_count >= 2 ? in->data32 : nullptr;
    float* const* outputs = out && out->data32 && out->channel_count >= 2 ? out->data32 : nullptr;
    if (inputs && (!inputs[0] || !inputs[1])) inputs = nullptr;
    if (outputs && (!outputs[0] || !outputs[1])) outputs = nullptr;
    if (out) out->constant_mask = 0;

    const bool shared = inputs && outputs &&
                        (inputs[0] == outputs[0] || inputs[0] == outputs[1] ||
                         inputs[1] == outputs[0] || inputs[1] == outputs[1]);
    if (shared)
        processThroughCopy(inputs, outputs, frames);
    else
        instance->process(inputs, outputs, frames, changes);
    return CLAP_PROCESS_CONTINUE;
}

void ClapPlugin::processThroughCopy(const float* const* inputs, float* const* outputs,
                                    int32_t frames)
{
    if (inputCopyFrames <= 0)
    {
        instance->process(nullptr, nullptr, frames, changes);
        return;
    }
    float* left = inputCopy.data();
    float* right = left + inputCopyFrames;
    int32_t next = 0; // the first change not yet applied
    for (int32_t start = 0; start < frames || start == 0; start += inputCopyFrames)
    {
        const int32_t n = std::min(inputCopyFrames, frames - start);
        const bool last = start + n >= frames;
        std::memcpy(left, inputs[0] + start, sizeof(float) * static_cast<size_t>(n));
        std::memcpy(right, inputs[1] + start, sizeof(float) * static_cast<size_t>(n));
        pieceChanges.clear();
        for (; next < changes.size() && (last || changes[next].offset < start + n); ++next)
        {
            const ParameterChange& c = changes[next];
            pieceChanges.add(std::max(c.offset - start, 0), c.index, c.value);
        }
        const float* piece[2] = {left, right};
        float* target[2] = {outputs[0] + start, outputs[1] + start};
        instance->process(piece, target, n, pieceChanges);
        if (last) break;
    }
}

// ---- Parameters ----

bool ClapPlugin::paramInfo(uint32_t index, clap_param_info& info) const
{
    if (!isParameter(index)) return false;
    const auto k = static_cast<int32_t>(index);
    info = clap_param_info{};
    info.id = index;
    // Bypass lets the strings ring out and keeps the mix and output gain: it is no bypass of
    // the host's kind (the output equal to the input), so it is an ordinary stepped parameter.
    info.flags = CLAP_PARAM_IS_AUTOMATABLE | (isStepped(k) ? CLAP_PARAM_IS_STEPPED : 0u);
    info.cookie = nullptr;
    copyText(info.name, sizeof info.name, trimmed(kParameterInfo[index].name));
    info.module[0] = '\0';
    info.min_value = effecthost::unitMinimum(k);
    info.max_value = effecthost::unitMaximum(k);
    info.default_value = effecthost::toUnitValue(k, kParameterInfo[index].factoryDefault);
    return true;
}

bool ClapPlugin::paramValue(clap_id id, double& value) const
{
    if (!isParameter(id)) return false;
    const auto k = static_cast<int32_t>(id);
    const float normalized = instance->parameter(k);
    auto holds = [&](double unitValue)
    {
        float n = 0.0f;
        return normalizedOf(k, unitValue, n) && std::memcmp(&n, &normalized, sizeof n) == 0;
    };
    // The host's own value while the effect still holds it; else the value the editor shows
    // (a whole percent, cent or semitone, a tenth of a dB) when it stands for exactly the value
    // held, as the programs' values do (0.6 is 60 %, not 60.0000038); else the exact conversion.
    const double set = hostValue[k].load(std::memory_order_relaxed);
    const double exact = effecthost::toUnitValue(k, normalized);
    const double perUnit =
        effecthost::kParameterUnits[static_cast<size_t>(k)].unit == effecthost::Unit::Decibel ? 10.0
                                                                                              : 1.0;
    const double shown = std::nearbyint(exact * perUnit) / perUnit + 0.0; // never -0
    value = holds(set) ? set : holds(shown) ? shown : exact;
    return true;
}

bool ClapPlugin::valueToText(clap_id id, double value, char* text, uint32_t capacity) const
{
    if (!isParameter(id) || !text || capacity == 0) return false;
    const auto k = static_cast<int32_t>(id);
    float normalized = 0.0f;
    if (!normalizedOf(k, value, normalized)) return false;
    return effecthost::parameterText(k, normalized, true, text, capacity);
}

bool ClapPlugin::textToValue(clap_id id, const char* text, double& value) const
{
    if (!isParameter(id) || !text) return false;
    const auto k = static_cast<int32_t>(id);
    float normalized = 0.0f;
    if (!effecthost::parseParameterText(k, text, normalized)) return false;
    value = effecthost::toUnitValue(k, normalized);
    return true;
}

void ClapPlugin::flush(const clap_input_events* in, const clap_output_events* out)
{
    // While active this runs on the audio thread; while inactive on the main thread.
    AudioCall call;
    readEvents(in, nullptr);
    writeEvents(out);
}

void ClapPlugin::requestFlush()
{
    if (!hostParams || !hostParams->request_flush) return;
    // Never from the audio thread; from there the next block takes the events anyway.
    if (inAudioCall || (hostThreadCheck && hostThreadCheck->is_audio_thread &&
                        hostThreadCheck->is_audio_thread(host)))
        return;
    hostParams->request_flush(host);
}

// ---- The effect's requests ----

void ClapPlugin::parameterAutomated(int32_t index, float value)
{
    outgoing.add({CLAP_EVENT_PARAM_VALUE, static_cast<uint32_t>(index),
                  effecthost::toUnitValue(index, value)});
    hostValue[index].store(std::numeric_limits<double>::quiet_NaN(), std::memory_order_relaxed);
    requestFlush();
}

void ClapPlugin::gestureBegan(int32_t index)
{
    outgoing.add({CLAP_EVENT_PARAM_GESTURE_BEGIN, static_cast<uint32_t>(index), 0.0});
    requestFlush();
}

void ClapPlugin::gestureEnded(int32_t index)
{
    outgoing.add({CLAP_EVENT_PARAM_GESTURE_END, static_cast<uint32_t>(index), 0.0});
    requestFlush();
}

void ClapPlugin::displayUpdated()
{
    // A program was applied or renamed: the host reads the values again and learns that the
    // state changed, unless the host is loading this very state. Off the main thread, and inside
    // the host's own state load (some hosts hold locks there that a call back into them would
    // wait for), the host is asked for a main-thread callback instead.
    if (!loadingState) dirtyPending.store(true);
    rescanPending.store(true);
    if (onMainThreadNow() && !loadingState)
        onMainThread();
    else if (host->request_callback)
        host->request_callback(host);
}

bool ClapPlugin::resizeRequested(int32_t width, int32_t height)
{
    if (!hostGui || !hostGui->request_resize || width <= 0 || height <= 0) return false;
    return hostGui->request_resize(host, static_cast<uint32_t>(width),
                                   static_cast<uint32_t>(height));
}

// ---- State ----

bool ClapPlugin::save(const clap_ostream& stream) const
{
    effecthost::EffectInstance::State state;
    if (!stream.write || !instance->readState(state)) return false;
    size_t done = 0;
    while (done < state.size())
    {
        const int64_t n = stream.write(&stream, state.data() + done, state.size() - done);
        // A stream that takes nothing would make this loop forever: it counts as failing.
        if (n <= 0 || static_cast<uint64_t>(n) > state.size() - done) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ClapPlugin::load(const clap_istream& stream)
{
    if (!stream.read) return false;
    // One byte more than the state: a longer stream is not a state of this plug-in.
    std::array<uint8_t, effecthost::EffectInstance::kStateSize + 1> data{};
    size_t done = 0;
    while (done < data.size())
    {
        const int64_t n = stream.read(&stream, data.data() + done, data.size() - done);
        if (n == 0) break;
        if (n < 0 || static_cast<uint64_t>(n) > data.size() - done) return false;
        done += static_cast<size_t>(n);
    }
    loadingState = true;
    const bool loaded = instance->setState(data.data(), done);
    loadingState = false;
    return loaded;
}

// ---- Presets ----

bool ClapPlugin::loadPreset(uint32_t kind, const char* location, const char* key)
{
    const int32_t program =
        kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN ? programOfLoadKey(key) : -1;
    if (program < 0)
    {
        if (hostPresetLoad && hostPresetLoad->on_error)
            hostPresetLoad->on_error(host, kind, location, key, 0,
                                     "Orv Sympharon has no such factory program");
        return false;
    }
    instance->selectProgram(program);
    if (hostPresetLoad && hostPresetLoad->loaded) hostPresetLoad->loaded(host, kind, location, key);
    return true;
}

// ---- Editor ----

bool ClapPlugin::guiCreate(const char* api, bool floating)
{
    if (!api || floating || std::string_view(api) != kGuiApi) return false;
    if (guiCreated) guiDestroy();
    // The X11 editor needs the host's timer to redraw and handle its events.
    if (editorNeedsHostLoop() && (!hostTimers || !hostTimers->register_timer)) return false;
    guiCreated = true;
    return true;
}

void ClapPlugin::unregisterEditorLoop()
{
    if (timerId != CLAP_INVALID_ID && hostTimers && hostTimers->unregister_timer)
        hostTimers->unregister_timer(host, timerId);
    timerId = CLAP_INVALID_ID;
    if (watchedFd >= 0 && hostFds && hostFds->unregister_fd)
        hostFds->unregister_fd(host, watchedFd);
    watchedFd = -1;
}

void ClapPlugin::guiDestroy()
{
    unregisterEditorLoop();
    instance->closeEditor();
    guiCreated = false;
}

bool ClapPlugin::guiSize(uint32_t& width, uint32_t& height) const
{
    int32_t w = 0;
    int32_t h = 0;
    if (!guiCreated || !instance->editorSize(w, h) || w <= 0 || h <= 0) return false;
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
    return true;
}

bool ClapPlugin::guiSetParent(const clap_window& window)
{
    if (!guiCreated || !window.api || std::string_view(window.api) != kGuiApi) return false;
    unregisterEditorLoop();
    if (!instance->openEditor(nativeParent(window))) return false;
    if (!editorNeedsHostLoop()) return true;
    if (!hostTimers->register_timer(host, kEditorTimerMs, &timerId))
    {
        timerId = CLAP_INVALID_ID;
        instance->closeEditor();
        return false;
    }
    // Events are handled as soon as they arrive when the host watches the connection; the
    // timer handles them otherwise.
    const int fd = instance->editorEventDescriptor();
    if (fd >= 0 && hostFds && hostFds->register_fd &&
        hostFds->register_fd(host, fd, CLAP_POSIX_FD_READ | CLAP_POSIX_FD_ERROR))
        watchedFd = fd;
    return true;
}

void ClapPlugin::onTimer(clap_id timer)
{
    if (timer == timerId && timerId != CLAP_INVALID_ID) instance->idleEditor();
}

void ClapPlugin::onFd(int fd, uint32_t flags)
{
    if (fd != watchedFd || watchedFd < 0) return;
    instance->idleEditor();
    // A broken connection stays "ready" for good and would keep the host calling: it is no
    // longer watched (the timer still drives what is left of the editor until it closes).
    if (flags & CLAP_POSIX_FD_ERROR)
    {
        if (hostFds && hostFds->unregister_fd) hostFds->unregister_fd(host, watchedFd);
        watchedFd = -1;
    }
}

// ---- Tables ----

const clap_plugin_params ClapPlugin::kParams = {
    [](const clap_plugin*) -> uint32_t { return kNumParams; },
    [](const clap_plugin* p, uint32_t index, clap_param_info* info)
    { return info && from(p)->paramInfo(index, *info); },
    [](const clap_plugin* p, clap_id id, double* value)
    { return value && from(p)->paramValue(id, *value); },
    [](const clap_plugin* p, clap_id id, double value, char* text, uint32_t capacity)
    { return from(p)->valueToText(id, value, text, capacity); },
    [](const clap_plugin* p, clap_id id, const char* text, double* value)
    { return value && from(p)->textToValue(id, text, *value); },
    [](const clap_plugin* p, const clap_input_events* in, const clap_output_events* out)
    { from(p)->flush(in, out); },
};

const clap_plugin_state ClapPlugin::kState = {
    [](const clap_plugin* p, const clap_ostream* stream)
    { return stream && from(p)->save(*stream); },
    [](const clap_plugin* p, const clap_istream* stream)
    { return stream && from(p)->load(*stream); },
};

const clap_plugin_tail ClapPlugin::kTail = {
    [](const clap_plugin* p) -> uint32_t
    {
        // INT32_MAX and beyond mean an endless tail (a Decay whose strings never fall silent).
        return std::min<uint32_t>(from(p)->instance->tailSamples(), INT32_MAX);
    },
};

const clap_plugin_gui ClapPlugin::kGui = {
    [](const clap_plugin*, const char* api, bool floating)
    { return api && !floating && std::string_view(api) == kGuiApi; },
    [](const clap_plugin*, const char** api, bool* floating)
    {
        if (!api || !floating) return false;
        *api = kGuiApi;
        *floating = false;
        return true;
    },
    [](const clap_plugin* p, const char* api, bool floating)
    { return from(p)->guiCreate(api, floating); },
    [](const clap_plugin* p) { from(p)->guiDestroy(); },
    // The host's factor comes before the desktop's on x11 and win32 alike (the user's own Zoom
    // choice comes first). An open editor asks the host for its new size (request_resize) and
    // takes the factor when the host agrees; a closed one opens at the new size.
    [](const clap_plugin* p, double scale)
    {
        return scale > 0.0 && std::isfinite(scale) &&
               from(p)->instance->setContentScale(static_cast<float>(scale));
    },
    [](const clap_plugin* p, uint32_t* width, uint32_t* height)
    { return width && height && from(p)->guiSize(*width, *height); },
    // The editor has one size (its artwork's, times its scale): the user cannot drag it larger,
    // and the nearest usable size to any other is that one.
    [](const clap_plugin*) { return false; },
    [](const clap_plugin*, clap_gui_resize_hints*) { return false; },
    [](const clap_plugin* p, uint32_t* width, uint32_t* height)
    { return width && height && from(p)->guiSize(*width, *height); },
    [](const clap_plugin* p, uint32_t width, uint32_t height)
    {
        uint32_t w = 0;
        uint32_t h = 0;
        return from(p)->guiSize(w, h) && w == width && h == height;
    },
    [](const clap_plugin* p, const clap_window* window)
    { return window && from(p)->guiSetParent(*window); },
    // Embedded only: no floating window to be transient for or to title.
    [](const clap_plugin*, const clap_window*) { return false; },
    [](const clap_plugin*, const char*) {},
    [](const clap_plugin* p) { return from(p)->guiCreated; },
    [](const clap_plugin* p) { return from(p)->guiCreated; },
};

const clap_plugin_timer_support ClapPlugin::kTimerSupport = {
    [](const clap_plugin* p, clap_id timer) { from(p)->onTimer(timer); },
};

const clap_plugin_preset_load ClapPlugin::kPresetLoad = {
    [](const clap_plugin* p, uint32_t kind, const char* location, const char* key)
    { return from(p)->loadPreset(kind, location, key); },
};

const clap_plugin_posix_fd_support ClapPlugin::kFdSupport = {
    [](const clap_plugin* p, int fd, uint32_t flags) { from(p)->onFd(fd, flags); },
};

} // namespace orv::clap
