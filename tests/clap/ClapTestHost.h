// A small CLAP host for the tests, built on the project's own declarations: it loads the built
// OrvSympharon.clap through clap_entry, offers the host extensions the plug-in uses (params,
// state, gui, timer-support, posix-fd-support, thread-check, log) and records every call made to
// them, including those made from a thread other than the main thread where the format demands
// the main thread. Event lists and streams are the host's side of processing and state.
#pragma once

#include "clap/ClapAbi.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace claptest
{

// The library, opened and initialised; deinitialised and closed when it goes. Opening and closing
// are one file per platform (ClapLibraryPosix.cpp, ClapLibraryWindows.cpp).
class ClapLibrary
{
public:
    explicit ClapLibrary(const std::string& path)
    {
        handle = open(path, error);
        if (!handle) return;
        entry = static_cast<const clap_plugin_entry*>(symbol(handle, "clap_entry"));
        if (!entry)
            error = "no clap_entry in " + path;
        else if (!entry->init(path.c_str()))
        {
            entry = nullptr;
            error = "clap_entry.init failed";
        }
    }
    ~ClapLibrary()
    {
        if (entry) entry->deinit();
        if (handle) close(handle);
    }
    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    const clap_plugin_factory* factory() const
    {
        return entry ? static_cast<const clap_plugin_factory*>(
                           entry->get_factory(CLAP_PLUGIN_FACTORY_ID))
                     : nullptr;
    }

    void* handle = nullptr;
    const clap_plugin_entry* entry = nullptr;
    std::string error; // why the library could not be used

private:
    static void* open(const std::string& path, std::string& error);
    static void* symbol(void* handle, const char* name);
    static void close(void* handle);
};

// Input events: whatever the test puts in, in order.
class InputEvents
{
public:
    void value(uint32_t time, clap_id id, double value)
    {
        clap_event_param_value e{};
        e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = id;
        e.note_id = -1;
        e.port_index = -1;
        e.channel = -1;
        e.key = -1;
        e.value = value;
        add(&e.header);
    }
    void add(const clap_event_header* header)
    {
        std::vector<uint8_t> bytes(header->size);
        std::memcpy(bytes.data(), header, header->size);
        events.push_back(std::move(bytes));
    }
    void clear() { events.clear(); }
    const clap_input_events* list() const { return &table; }

private:
    std::vector<std::vector<uint8_t>> events;
    clap_input_events table{
        this,
        [](const clap_input_events* l) -> uint32_t
        { return static_cast<uint32_t>(static_cast<const InputEvents*>(l->ctx)->events.size()); },
        [](const clap_input_events* l, uint32_t i) -> const clap_event_header*
        {
            const auto& e = static_cast<const InputEvents*>(l->ctx)->events;
            return i < e.size() ? reinterpret_cast<const clap_event_header*>(e[i].data()) : nullptr;
        }};
};

struct PushedEvent
{
    uint16_t type;
    uint32_t time;
    clap_id param;
    double value;
};

// Output events: what the plug-in pushed.
class OutputEvents
{
public:
    std::vector<PushedEvent> events;
    const clap_output_events* list() const { return &table; }

private:
    clap_output_events table{
        this,
        [](const clap_output_events* l, const clap_event_header* h) -> bool
        {
            auto* self = static_cast<OutputEvents*>(l->ctx);
            PushedEvent e{h->type, h->time, CLAP_INVALID_ID, 0.0};
            if (h->type == CLAP_EVENT_PARAM_VALUE && h->size == sizeof(clap_event_param_value))
            {
                const auto* v = reinterpret_cast<const clap_event_param_value*>(h);
                e.param = v->param_id;
                e.value = v->value;
            }
            else if ((h->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
                      h->type == CLAP_EVENT_PARAM_GESTURE_END) &&
                     h->size == sizeof(clap_event_param_gesture))
                e.param = reinterpret_cast<const clap_event_param_gesture*>(h)->param_id;
            else
                return false;
            self->events.push_back(e);
            return true;
        }};
};

// A stream over bytes that moves at most `step` bytes per call; fails with -1 at `failAt` bytes.
struct Stream
{
    std::vector<uint8_t> bytes;
    size_t position = 0;
    size_t step = 1 << 20;
    size_t failAt = SIZE_MAX;
    bool zeroWrites = false; // a writer that takes nothing

    clap_istream in{this,
                    [](const clap_istream* s, void* buffer, uint64_t size) -> int64_t
                    {
                        auto* self = static_cast<Stream*>(s->ctx);
                        if (self->position >= self->failAt) return -1;
                        const size_t n = std::min<size_t>({static_cast<size_t>(size), self->step,
                                                           self->bytes.size() - self->position});
                        if (n > 0) std::memcpy(buffer, self->bytes.data() + self->position, n);
                        self->position += n;
                        return static_cast<int64_t>(n);
                    }};
    clap_ostream out{this,
                     [](const clap_ostream* s, const void* buffer, uint64_t size) -> int64_t
                     {
                         auto* self = static_cast<Stream*>(s->ctx);
                         if (self->bytes.size() >= self->failAt) return -1;
                         if (self->zeroWrites) return 0;
                         const size_t n = std::min<size_t>(static_cast<size_t>(size), self->step);
                         const auto* b = static_cast<const uint8_t*>(buffer);
                         self->bytes.insert(self->bytes.end(), b, b + n);
                         return static_cast<int64_t>(n);
                     }};
};

// The host: its record, its extensions and what the plug-in asked of it.
class TestHost
{
public:
    TestHost() { record.host_data = this; }

    // Which host extensions the plug-in finds.
    bool offerTimers = true;
    bool offerFds = true;
    // What gui.request_resize answers.
    bool agreeToResize = true;

    // Recorded requests (main thread only, apart from the counters).
    std::vector<uint32_t> rescans;
    int markDirty = 0;
    std::atomic<int> flushRequests{0};
    std::atomic<int> callbackRequests{0};
    std::vector<std::pair<uint32_t, uint32_t>> resizeRequests;
    std::map<clap_id, uint32_t> timers;                   // id -> period in ms
    std::map<int, uint32_t> fds;                          // fd -> flags
    std::vector<std::string> presetsLoaded, presetErrors; // load keys
    // Host functions called off the main thread where the format demands it, or
    // request_flush called from the audio thread.
    std::vector<std::string> threadFaults() const
    {
        std::lock_guard<std::mutex> hold(lock);
        return faults;
    }

    // The audio thread, as the thread-check extension reports it (set by the test).
    std::atomic<std::thread::id> audioThread{};

    const clap_host* host() const { return &record; }
    std::thread::id mainThread = std::this_thread::get_id();

private:
    static TestHost* self(const clap_host* h) { return static_cast<TestHost*>(h->host_data); }
    void mustBeMain(const char* what)
    {
        if (std::this_thread::get_id() == mainThread) return;
        std::lock_guard<std::mutex> hold(lock);
        faults.push_back(what);
    }

    mutable std::mutex lock;
    std::vector<std::string> faults;
    clap_id nextTimer = 1;

    const clap_host_params params{
        [](const clap_host* h, uint32_t flags)
        {
            self(h)->mustBeMain("params.rescan");
            self(h)->rescans.push_back(flags);
        },
        [](const clap_host* h, clap_id, uint32_t) { self(h)->mustBeMain("params.clear"); },
        [](const clap_host* h)
        {
            TestHost* t = self(h);
            if (std::this_thread::get_id() == t->audioThread.load())
            {
                std::lock_guard<std::mutex> hold(t->lock);
                t->faults.push_back("params.request_flush on the audio thread");
            }
            ++t->flushRequests;
        }};
    const clap_host_state state{[](const clap_host* h)
                                {
                                    self(h)->mustBeMain("state.mark_dirty");
                                    ++self(h)->markDirty;
                                }};
    const clap_host_gui gui{[](const clap_host*) {},
                            [](const clap_host* h, uint32_t w, uint32_t hh)
                            {
                                self(h)->resizeRequests.emplace_back(w, hh);
                                return self(h)->agreeToResize;
                            },
                            [](const clap_host*) { return true; },
                            [](const clap_host*) { return true; }, [](const clap_host*, bool) {}};
    const clap_host_timer_support timerSupport{[](const clap_host* h, uint32_t period, clap_id* id)
                                               {
                                                   TestHost* t = self(h);
                                                   t->mustBeMain("timer-support.register_timer");
                                                   *id = t->nextTimer++;
                                                   t->timers[*id] = period;
                                                   return true;
                                               },
                                               [](const clap_host* h, clap_id id)
                                               {
                                                   self(h)->mustBeMain(
                                                       "timer-support.unregister_timer");
                                                   return self(h)->timers.erase(id) == 1;
                                               }};
    const clap_host_posix_fd_support fdSupport{
        [](const clap_host* h, int fd, uint32_t flags)
        {
            self(h)->mustBeMain("posix-fd-support.register_fd");
            return self(h)->fds.emplace(fd, flags).second;
        },
        [](const clap_host* h, int fd, uint32_t flags)
        {
            self(h)->mustBeMain("posix-fd-support.modify_fd");
            auto it = self(h)->fds.find(fd);
            if (it == self(h)->fds.end()) return false;
            it->second = flags;
            return true;
        },
        [](const clap_host* h, int fd)
        {
            self(h)->mustBeMain("posix-fd-support.unregister_fd");
            return self(h)->fds.erase(fd) == 1;
        }};
    const clap_host_thread_check threadCheck{
        [](const clap_host* h) { return std::this_thread::get_id() == self(h)->mainThread; },
        [](const clap_host* h)
        { return std::this_thread::get_id() == self(h)->audioThread.load(); }};
    const clap_host_log log{[](const clap_host*, int32_t, const char*) {}};
    const clap_host_preset_load presetLoad{
        [](const clap_host* h, uint32_t, const char*, const char* key, int32_t, const char*)
        {
            self(h)->mustBeMain("preset-load.on_error");
            self(h)->presetErrors.emplace_back(key ? key : "(null)");
        },
        [](const clap_host* h, uint32_t, const char*, const char* key)
        {
            self(h)->mustBeMain("preset-load.loaded");
            self(h)->presetsLoaded.emplace_back(key ? key : "(null)");
        }};

    clap_host record{CLAP_VERSION_VALUE,
                     nullptr,
                     "orv clap test host",
                     "",
                     "",
                     "1.0",
                     [](const clap_host* h, const char* id) -> const void*
                     {
                         TestHost* t = self(h);
                         const std::string name(id);
                         if (name == CLAP_EXT_PARAMS) return &t->params;
                         if (name == CLAP_EXT_STATE) return &t->state;
                         if (name == CLAP_EXT_GUI) return &t->gui;
                         if (name == CLAP_EXT_TIMER_SUPPORT && t->offerTimers)
                             return &t->timerSupport;
                         if (name == CLAP_EXT_POSIX_FD_SUPPORT && t->offerFds) return &t->fdSupport;
                         if (name == CLAP_EXT_THREAD_CHECK) return &t->threadCheck;
                         if (name == CLAP_EXT_LOG) return &t->log;
                         if (name == CLAP_EXT_PRESET_LOAD) return &t->presetLoad;
                         return nullptr;
                     },
                     [](const clap_host*) {},
                     [](const clap_host*) {},
                     [](const clap_host* h) { ++self(h)->callbackRequests; }};
};

// One plug-in instance made by the factory for a host, with its extensions.
class Plugin
{
public:
    Plugin(const ClapLibrary& library, TestHost& h) : host(h)
    {
        const clap_plugin_factory* f = library.factory();
        if (!f) return;
        plugin = f->create_plugin(f, host.host(), "com.orvatone.orv-sympharon");
        if (!plugin || !plugin->init(plugin)) return;
        ports = ext<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
        params = ext<clap_plugin_params>(CLAP_EXT_PARAMS);
        state = ext<clap_plugin_state>(CLAP_EXT_STATE);
        latency = ext<clap_plugin_latency>(CLAP_EXT_LATENCY);
        tail = ext<clap_plugin_tail>(CLAP_EXT_TAIL);
        gui = ext<clap_plugin_gui>(CLAP_EXT_GUI);
        timer = ext<clap_plugin_timer_support>(CLAP_EXT_TIMER_SUPPORT);
        fd = ext<clap_plugin_posix_fd_support>(CLAP_EXT_POSIX_FD_SUPPORT);
        render = ext<clap_plugin_render>(CLAP_EXT_RENDER);
    }
    ~Plugin()
    {
        if (!plugin) return;
        if (processing) plugin->stop_processing(plugin);
        if (active) plugin->deactivate(plugin);
        plugin->destroy(plugin);
    }
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    template <typename T> const T* ext(const char* id) const
    {
        return static_cast<const T*>(plugin->get_extension(plugin, id));
    }

    bool activate(double rate = 48000.0, uint32_t maxFrames = 4096)
    {
        active = plugin->activate(plugin, rate, 1, maxFrames);
        processing = active && plugin->start_processing(plugin);
        return processing;
    }
    void deactivate()
    {
        if (processing) plugin->stop_processing(plugin);
        if (active) plugin->deactivate(plugin);
        active = processing = false;
    }

    // Processes one block (inputs may be the outputs themselves for in-place processing).
    int32_t process(float* const* inputs, float* const* outputs, uint32_t frames,
                    const InputEvents& in, OutputEvents& out)
    {
        clap_audio_buffer input{const_cast<float**>(inputs), nullptr, 2, 0, 0};
        clap_audio_buffer output{const_cast<float**>(outputs), nullptr, 2, 0, ~0ull};
        clap_process p{};
        p.steady_time = steadyTime;
        p.frames_count = frames;
        p.audio_inputs = &input;
        p.audio_outputs = &output;
        p.audio_inputs_count = 1;
        p.audio_outputs_count = 1;
        p.in_events = in.list();
        p.out_events = out.list();
        steadyTime += frames;
        const int32_t status = plugin->process(plugin, &p);
        lastConstantMask = output.constant_mask;
        return status;
    }

    double value(clap_id id) const
    {
        double v = -12345.0;
        params->get_value(plugin, id, &v);
        return v;
    }
    std::string text(clap_id id, double value) const
    {
        char t[256] = "?";
        if (!params->value_to_text(plugin, id, value, t, sizeof t)) return "(refused)";
        return t;
    }
    std::vector<uint8_t> saved(size_t step = 1 << 20) const
    {
        Stream s;
        s.step = step;
        if (!state->save(plugin, &s.out)) return {};
        return s.bytes;
    }
    bool load(const std::vector<uint8_t>& bytes, size_t step = 1 << 20) const
    {
        Stream s;
        s.bytes = bytes;
        s.step = step;
        return state->load(plugin, &s.in);
    }
    // Applies host changes outside processing.
    void flush(const InputEvents& in, OutputEvents& out) const
    {
        params->flush(plugin, in.list(), out.list());
    }

    TestHost& host;
    const clap_plugin* plugin = nullptr;
    const clap_plugin_audio_ports* ports = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;
    const clap_plugin_latency* latency = nullptr;
    const clap_plugin_tail* tail = nullptr;
    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_timer_support* timer = nullptr;
    const clap_plugin_posix_fd_support* fd = nullptr;
    const clap_plugin_render* render = nullptr;
    bool active = false;
    bool processing = false;
    int64_t steadyTime = 0;
    uint64_t lastConstantMask = 0;
};

} // namespace claptest
