// The CLAP 1.x plug-in binary interface, as far as a stereo audio effect with an embedded editor
// uses it: the entry object, the plug-in factory and descriptor, the instance and host records,
// processing (audio buffers, events, event lists), streams, the extensions audio-ports, params,
// state, latency, tail, render, gui, timer-support, posix-fd-support, thread-check, log and
// preset-load, and the preset discovery factory. Written from the format's published layout; the
// static_asserts at the end pin every size and offset that a host relies on (identical on Linux
// x86-64 and Windows x64).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C"
{

    using clap_id = uint32_t;
    inline constexpr clap_id CLAP_INVALID_ID = 0xFFFFFFFFu;
    inline constexpr size_t CLAP_NAME_SIZE = 256;
    inline constexpr size_t CLAP_PATH_SIZE = 1024;

    struct clap_version
    {
        uint32_t major;
        uint32_t minor;
        uint32_t revision;
    };
    // The version these declarations follow; hosts of any 1.x version load it.
    inline constexpr clap_version CLAP_VERSION_VALUE = {1, 2, 10};

    // ---- Entry and factory ----

    struct clap_plugin_entry
    {
        clap_version version;
        bool (*init)(const char* plugin_path);
        void (*deinit)();
        const void* (*get_factory)(const char* factory_id);
    };

    inline constexpr const char* CLAP_PLUGIN_FACTORY_ID = "clap.plugin-factory";

    struct clap_plugin_descriptor
    {
        clap_version version;
        const char* id;
        const char* name;
        const char* vendor;
        const char* url;
        const char* manual_url;
        const char* support_url;
        const char* version_text; // the plug-in's own version
        const char* description;
        const char* const* features; // ends with a null pointer
    };

    struct clap_host;
    struct clap_plugin;

    struct clap_plugin_factory
    {
        uint32_t (*get_plugin_count)(const clap_plugin_factory* factory);
        const clap_plugin_descriptor* (*get_plugin_descriptor)(const clap_plugin_factory* factory,
                                                               uint32_t index);
        const clap_plugin* (*create_plugin)(const clap_plugin_factory* factory,
                                            const clap_host* host, const char* plugin_id);
    };

    // ---- Processing ----

    struct clap_event_header
    {
        uint32_t size; // of the whole event
        uint32_t time; // frame offset in the block
        uint16_t space_id;
        uint16_t type;
        uint32_t flags;
    };

    inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
    inline constexpr uint32_t CLAP_EVENT_IS_LIVE = 1;
    inline constexpr uint32_t CLAP_EVENT_DONT_RECORD = 2;

    inline constexpr uint16_t CLAP_EVENT_PARAM_VALUE = 5;
    inline constexpr uint16_t CLAP_EVENT_PARAM_MOD = 6;
    inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_BEGIN = 7;
    inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_END = 8;
    inline constexpr uint16_t CLAP_EVENT_TRANSPORT = 9;

    struct clap_event_param_value
    {
        clap_event_header header;
        clap_id param_id;
        void* cookie;
        int32_t note_id;
        int16_t port_index;
        int16_t channel;
        int16_t key;
        double value;
    };

    struct clap_event_param_gesture
    {
        clap_event_header header;
        clap_id param_id;
    };

    struct clap_input_events
    {
        void* ctx;
        uint32_t (*size)(const clap_input_events* list);
        const clap_event_header* (*get)(const clap_input_events* list, uint32_t index);
    };

    struct clap_output_events
    {
        void* ctx;
        bool (*try_push)(const clap_output_events* list, const clap_event_header* event);
    };

    struct clap_audio_buffer
    {
        float** data32;
        double** data64;
        uint32_t channel_count;
        uint32_t latency;
        uint64_t constant_mask;
    };

    struct clap_event_transport; // not read by this effect

    struct clap_process
    {
        int64_t steady_time;
        uint32_t frames_count;
        const clap_event_transport* transport;
        const clap_audio_buffer* audio_inputs;
        clap_audio_buffer* audio_outputs;
        uint32_t audio_inputs_count;
        uint32_t audio_outputs_count;
        const clap_input_events* in_events;
        const clap_output_events* out_events;
    };

    inline constexpr int32_t CLAP_PROCESS_ERROR = 0;
    inline constexpr int32_t CLAP_PROCESS_CONTINUE = 1;
    inline constexpr int32_t CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2;
    inline constexpr int32_t CLAP_PROCESS_TAIL = 3;
    inline constexpr int32_t CLAP_PROCESS_SLEEP = 4;

    // ---- Instance and host ----

    struct clap_plugin
    {
        const clap_plugin_descriptor* desc;
        void* plugin_data;
        bool (*init)(const clap_plugin* plugin);
        void (*destroy)(const clap_plugin* plugin);
        bool (*activate)(const clap_plugin* plugin, double sample_rate, uint32_t min_frames,
                         uint32_t max_frames);
        void (*deactivate)(const clap_plugin* plugin);
        bool (*start_processing)(const clap_plugin* plugin);
        void (*stop_processing)(const clap_plugin* plugin);
        void (*reset)(const clap_plugin* plugin);
        int32_t (*process)(const clap_plugin* plugin, const clap_process* process);
        const void* (*get_extension)(const clap_plugin* plugin, const char* id);
        void (*on_main_thread)(const clap_plugin* plugin);
    };

    struct clap_host
    {
        clap_version version;
        void* host_data;
        const char* name;
        const char* vendor;
        const char* url;
        const char* version_text;
        const void* (*get_extension)(const clap_host* host, const char* extension_id);
        void (*request_restart)(const clap_host* host);
        void (*request_process)(const clap_host* host);
        void (*request_callback)(const clap_host* host);
    };

    // ---- Streams ----

    struct clap_istream
    {
        void* ctx;
        // > 0: bytes read (maybe fewer than asked); 0: end of stream; -1: error
        int64_t (*read)(const clap_istream* stream, void* buffer, uint64_t size);
    };

    struct clap_ostream
    {
        void* ctx;
        // >= 0: bytes written (maybe fewer than asked); -1: error
        int64_t (*write)(const clap_ostream* stream, const void* buffer, uint64_t size);
    };

    // ---- Extensions ----

    inline constexpr const char* CLAP_EXT_AUDIO_PORTS = "clap.audio-ports";
    inline constexpr const char* CLAP_EXT_PARAMS = "clap.params";
    inline constexpr const char* CLAP_EXT_STATE = "clap.state";
    inline constexpr const char* CLAP_EXT_LATENCY = "clap.latency";
    inline constexpr const char* CLAP_EXT_TAIL = "clap.tail";
    inline constexpr const char* CLAP_EXT_RENDER = "clap.render";
    inline constexpr const char* CLAP_EXT_GUI = "clap.gui";
    inline constexpr const char* CLAP_EXT_TIMER_SUPPORT = "clap.timer-support";
    inline constexpr const char* CLAP_EXT_POSIX_FD_SUPPORT = "clap.posix-fd-support";
    inline constexpr const char* CLAP_EXT_THREAD_CHECK = "clap.thread-check";
    inline constexpr const char* CLAP_EXT_LOG = "clap.log";

    // Audio ports
    inline constexpr uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1;
    inline constexpr const char* CLAP_PORT_STEREO = "stereo";

    struct clap_audio_port_info
    {
        clap_id id;
        char name[CLAP_NAME_SIZE];
        uint32_t flags;
        uint32_t channel_count;
        const char* port_type;
        clap_id in_place_pair;
    };

    struct clap_plugin_audio_ports
    {
        uint32_t (*count)(const clap_plugin* plugin, bool is_input);
        bool (*get)(const clap_plugin* plugin, uint32_t index, bool is_input,
                    clap_audio_port_info* info);
    };

    // Parameters
    inline constexpr uint32_t CLAP_PARAM_IS_STEPPED = 1;
    inline constexpr uint32_t CLAP_PARAM_IS_PERIODIC = 2;
    inline constexpr uint32_t CLAP_PARAM_IS_HIDDEN = 4;
    inline constexpr uint32_t CLAP_PARAM_IS_READONLY = 8;
    inline constexpr uint32_t CLAP_PARAM_IS_BYPASS = 16;
    inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE = 32;
    inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE = 1024;
    inline constexpr uint32_t CLAP_PARAM_REQUIRES_PROCESS = 32768;
    inline constexpr uint32_t CLAP_PARAM_IS_ENUM = 65536;

    inline constexpr uint32_t CLAP_PARAM_RESCAN_VALUES = 1;
    inline constexpr uint32_t CLAP_PARAM_RESCAN_TEXT = 2;
    inline constexpr uint32_t CLAP_PARAM_RESCAN_INFO = 4;
    inline constexpr uint32_t CLAP_PARAM_RESCAN_ALL = 8;

    struct clap_param_info
    {
        clap_id id;
        uint32_t flags;
        void* cookie;
        char name[CLAP_NAME_SIZE];
        char module[CLAP_PATH_SIZE];
        double min_value;
        double max_value;
        double default_value;
    };

    struct clap_plugin_params
    {
        uint32_t (*count)(const clap_plugin* plugin);
        bool (*get_info)(const clap_plugin* plugin, uint32_t param_index, clap_param_info* info);
        bool (*get_value)(const clap_plugin* plugin, clap_id param_id, double* value);
        bool (*value_to_text)(const clap_plugin* plugin, clap_id param_id, double value, char* text,
                              uint32_t capacity);
        bool (*text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* text,
                              double* value);
        void (*flush)(const clap_plugin* plugin, const clap_input_events* in,
                      const clap_output_events* out);
    };

    struct clap_host_params
    {
        void (*rescan)(const clap_host* host, uint32_t flags);
        void (*clear)(const clap_host* host, clap_id param_id, uint32_t flags);
        void (*request_flush)(const clap_host* host);
    };

    // State
    struct clap_plugin_state
    {
        bool (*save)(const clap_plugin* plugin, const clap_ostream* stream);
        bool (*load)(const clap_plugin* plugin, const clap_istream* stream);
    };

    struct clap_host_state
    {
        void (*mark_dirty)(const clap_host* host);
    };

    // Latency and tail
    struct clap_plugin_latency
    {
        uint32_t (*get)(const clap_plugin* plugin);
    };

    struct clap_plugin_tail
    {
        uint32_t (*get)(const clap_plugin* plugin); // INT32_MAX and above: endless
    };

    // Render
    inline constexpr int32_t CLAP_RENDER_REALTIME = 0;
    inline constexpr int32_t CLAP_RENDER_OFFLINE = 1;

    struct clap_plugin_render
    {
        bool (*has_hard_realtime_requirement)(const clap_plugin* plugin);
        bool (*set)(const clap_plugin* plugin, int32_t mode);
    };

    // GUI
    inline constexpr const char* CLAP_WINDOW_API_X11 = "x11";
    inline constexpr const char* CLAP_WINDOW_API_WIN32 = "win32";

    struct clap_window
    {
        const char* api;
        union
        {
            void* cocoa;
            unsigned long x11; // an X window id
            void* win32;       // an HWND
            void* ptr;
        };
    };

    struct clap_gui_resize_hints
    {
        bool can_resize_horizontally;
        bool can_resize_vertically;
        bool preserve_aspect_ratio;
        uint32_t aspect_ratio_width;
        uint32_t aspect_ratio_height;
    };

    struct clap_plugin_gui
    {
        bool (*is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
        bool (*get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
        bool (*create)(const clap_plugin* plugin, const char* api, bool is_floating);
        void (*destroy)(const clap_plugin* plugin);
        bool (*set_scale)(const clap_plugin* plugin, double scale);
        bool (*get_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
        bool (*can_resize)(const clap_plugin* plugin);
        bool (*get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
        bool (*adjust_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
        bool (*set_size)(const clap_plugin* plugin, uint32_t width, uint32_t height);
        bool (*set_parent)(const clap_plugin* plugin, const clap_window* window);
        bool (*set_transient)(const clap_plugin* plugin, const clap_window* window);
        void (*suggest_title)(const clap_plugin* plugin, const char* title);
        bool (*show)(const clap_plugin* plugin);
        bool (*hide)(const clap_plugin* plugin);
    };

    struct clap_host_gui
    {
        void (*resize_hints_changed)(const clap_host* host);
        bool (*request_resize)(const clap_host* host, uint32_t width, uint32_t height);
        bool (*request_show)(const clap_host* host);
        bool (*request_hide)(const clap_host* host);
        void (*closed)(const clap_host* host, bool was_destroyed);
    };

    // Timer support
    struct clap_plugin_timer_support
    {
        void (*on_timer)(const clap_plugin* plugin, clap_id timer_id);
    };

    struct clap_host_timer_support
    {
        bool (*register_timer)(const clap_host* host, uint32_t period_ms, clap_id* timer_id);
        bool (*unregister_timer)(const clap_host* host, clap_id timer_id);
    };

    // POSIX file descriptor support
    inline constexpr uint32_t CLAP_POSIX_FD_READ = 1;
    inline constexpr uint32_t CLAP_POSIX_FD_WRITE = 2;
    inline constexpr uint32_t CLAP_POSIX_FD_ERROR = 4;

    struct clap_plugin_posix_fd_support
    {
        void (*on_fd)(const clap_plugin* plugin, int fd, uint32_t flags);
    };

    struct clap_host_posix_fd_support
    {
        bool (*register_fd)(const clap_host* host, int fd, uint32_t flags);
        bool (*modify_fd)(const clap_host* host, int fd, uint32_t flags);
        bool (*unregister_fd)(const clap_host* host, int fd);
    };

    // Thread check
    struct clap_host_thread_check
    {
        bool (*is_main_thread)(const clap_host* host);
        bool (*is_audio_thread)(const clap_host* host);
    };

    // Log
    inline constexpr int32_t CLAP_LOG_WARNING = 2;
    inline constexpr int32_t CLAP_LOG_ERROR = 3;
    inline constexpr int32_t CLAP_LOG_PLUGIN_MISBEHAVING = 6;

    struct clap_host_log
    {
        void (*log)(const clap_host* host, int32_t severity, const char* message);
    };

    // Preset discovery and loading: enough for a host to list the factory programs and load one.
    inline constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID =
        "clap.preset-discovery-factory/2";
    inline constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT =
        "clap.preset-discovery-factory/draft-2";
    inline constexpr const char* CLAP_EXT_PRESET_LOAD = "clap.preset-load/2";
    inline constexpr const char* CLAP_EXT_PRESET_LOAD_COMPAT = "clap.preset-load.draft/2";

    inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0;
    inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1;
    inline constexpr uint32_t CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1;

    struct clap_universal_plugin_id
    {
        const char* abi; // "clap"
        const char* id;
    };

    struct clap_preset_discovery_location
    {
        uint32_t flags;
        const char* name;
        uint32_t kind;
        const char* location; // null for presets inside the plug-in
    };

    struct clap_preset_discovery_filetype;
    struct clap_preset_discovery_soundpack;

    struct clap_preset_discovery_indexer
    {
        clap_version version;
        const char* name;
        const char* vendor;
        const char* url;
        const char* version_text;
        void* indexer_data;
        bool (*declare_filetype)(const clap_preset_discovery_indexer* indexer,
                                 const clap_preset_discovery_filetype* filetype);
        bool (*declare_location)(const clap_preset_discovery_indexer* indexer,
                                 const clap_preset_discovery_location* location);
        bool (*declare_soundpack)(const clap_preset_discovery_indexer* indexer,
                                  const clap_preset_discovery_soundpack* soundpack);
        const void* (*get_extension)(const clap_preset_discovery_indexer* indexer, const char* id);
    };

    struct clap_preset_discovery_metadata_receiver
    {
        void* receiver_data;
        void (*on_error)(const clap_preset_discovery_metadata_receiver* receiver, int32_t os_error,
                         const char* message);
        bool (*begin_preset)(const clap_preset_discovery_metadata_receiver* receiver,
                             const char* name, const char* load_key);
        void (*add_plugin_id)(const clap_preset_discovery_metadata_receiver* receiver,
                              const clap_universal_plugin_id* plugin_id);
        void (*set_soundpack_id)(const clap_preset_discovery_metadata_receiver* receiver,
                                 const char* soundpack_id);
        void (*set_flags)(const clap_preset_discovery_metadata_receiver* receiver, uint32_t flags);
        void (*add_creator)(const clap_preset_discovery_metadata_receiver* receiver,
                            const char* creator);
        void (*set_description)(const clap_preset_discovery_metadata_receiver* receiver,
                                const char* description);
        void (*set_timestamps)(const clap_preset_discovery_metadata_receiver* receiver,
                               uint64_t creation_time, uint64_t modification_time);
        void (*add_feature)(const clap_preset_discovery_metadata_receiver* receiver,
                            const char* feature);
        void (*add_extra_info)(const clap_preset_discovery_metadata_receiver* receiver,
                               const char* key, const char* value);
    };

    struct clap_preset_discovery_provider_descriptor
    {
        clap_version version;
        const char* id;
        const char* name;
        const char* vendor;
    };

    struct clap_preset_discovery_provider
    {
        const clap_preset_discovery_provider_descriptor* desc;
        void* provider_data;
        bool (*init)(const clap_preset_discovery_provider* provider);
        void (*destroy)(const clap_preset_discovery_provider* provider);
        bool (*get_metadata)(const clap_preset_discovery_provider* provider, uint32_t location_kind,
                             const char* location,
                             const clap_preset_discovery_metadata_receiver* receiver);
        const void* (*get_extension)(const clap_preset_discovery_provider* provider,
                                     const char* id);
    };

    struct clap_preset_discovery_factory
    {
        uint32_t (*count)(const clap_preset_discovery_factory* factory);
        const clap_preset_discovery_provider_descriptor* (*get_descriptor)(
            const clap_preset_discovery_factory* factory, uint32_t index);
        const clap_preset_discovery_provider* (*create)(
            const clap_preset_discovery_factory* factory,
            const clap_preset_discovery_indexer* indexer, const char* provider_id);
    };

    struct clap_plugin_preset_load
    {
        bool (*from_location)(const clap_plugin* plugin, uint32_t location_kind,
                              const char* location, const char* load_key);
    };

    struct clap_host_preset_load
    {
        void (*on_error)(const clap_host* host, uint32_t location_kind, const char* location,
                         const char* load_key, int32_t os_error, const char* message);
        void (*loaded)(const clap_host* host, uint32_t location_kind, const char* location,
                       const char* load_key);
    };

} // extern "C"

// Sizes and offsets every host relies on.
static_assert(sizeof(clap_version) == 12);
static_assert(sizeof(clap_plugin_entry) == 40 && offsetof(clap_plugin_entry, init) == 16 &&
              offsetof(clap_plugin_entry, get_factory) == 32);
static_assert(sizeof(clap_plugin_factory) == 24);
static_assert(sizeof(clap_plugin_descriptor) == 88 && offsetof(clap_plugin_descriptor, id) == 16 &&
              offsetof(clap_plugin_descriptor, version_text) == 64 &&
              offsetof(clap_plugin_descriptor, features) == 80);
static_assert(sizeof(clap_plugin) == 96 && offsetof(clap_plugin, init) == 16 &&
              offsetof(clap_plugin, process) == 72 && offsetof(clap_plugin, on_main_thread) == 88);
static_assert(sizeof(clap_host) == 88 && offsetof(clap_host, host_data) == 16 &&
              offsetof(clap_host, name) == 24 && offsetof(clap_host, version_text) == 48 &&
              offsetof(clap_host, get_extension) == 56 &&
              offsetof(clap_host, request_callback) == 80);
static_assert(sizeof(clap_process) == 64 && offsetof(clap_process, frames_count) == 8 &&
              offsetof(clap_process, transport) == 16 &&
              offsetof(clap_process, audio_inputs_count) == 40 &&
              offsetof(clap_process, in_events) == 48 && offsetof(clap_process, out_events) == 56);
static_assert(sizeof(clap_audio_buffer) == 32 && offsetof(clap_audio_buffer, channel_count) == 16 &&
              offsetof(clap_audio_buffer, constant_mask) == 24);
static_assert(sizeof(clap_event_header) == 16 && alignof(clap_event_header) == 4 &&
              offsetof(clap_event_header, space_id) == 8 &&
              offsetof(clap_event_header, type) == 10 && offsetof(clap_event_header, flags) == 12);
static_assert(sizeof(clap_event_param_value) == 56 &&
              offsetof(clap_event_param_value, param_id) == 16 &&
              offsetof(clap_event_param_value, cookie) == 24 &&
              offsetof(clap_event_param_value, note_id) == 32 &&
              offsetof(clap_event_param_value, port_index) == 36 &&
              offsetof(clap_event_param_value, channel) == 38 &&
              offsetof(clap_event_param_value, key) == 40 &&
              offsetof(clap_event_param_value, value) == 48);
static_assert(sizeof(clap_event_param_gesture) == 20 &&
              offsetof(clap_event_param_gesture, param_id) == 16);
static_assert(sizeof(clap_input_events) == 24 && sizeof(clap_output_events) == 16);
static_assert(sizeof(clap_istream) == 16 && sizeof(clap_ostream) == 16);
static_assert(sizeof(clap_audio_port_info) == 288 && offsetof(clap_audio_port_info, flags) == 260 &&
              offsetof(clap_audio_port_info, channel_count) == 264 &&
              offsetof(clap_audio_port_info, port_type) == 272 &&
              offsetof(clap_audio_port_info, in_place_pair) == 280);
static_assert(sizeof(clap_plugin_audio_ports) == 16);
static_assert(sizeof(clap_param_info) == 1320 && offsetof(clap_param_info, cookie) == 8 &&
              offsetof(clap_param_info, name) == 16 && offsetof(clap_param_info, module) == 272 &&
              offsetof(clap_param_info, min_value) == 1296 &&
              offsetof(clap_param_info, default_value) == 1312);
static_assert(sizeof(clap_plugin_params) == 48 && sizeof(clap_host_params) == 24);
static_assert(sizeof(clap_plugin_state) == 16 && sizeof(clap_host_state) == 8);
static_assert(sizeof(clap_plugin_latency) == 8 && sizeof(clap_plugin_tail) == 8);
static_assert(sizeof(clap_plugin_render) == 16);
static_assert(sizeof(clap_window) == 16 && offsetof(clap_window, x11) == 8);
static_assert(sizeof(clap_gui_resize_hints) == 12 &&
              offsetof(clap_gui_resize_hints, aspect_ratio_width) == 4);
static_assert(sizeof(clap_plugin_gui) == 120 && offsetof(clap_plugin_gui, set_parent) == 80 &&
              offsetof(clap_plugin_gui, hide) == 112);
static_assert(sizeof(clap_host_gui) == 40);
static_assert(sizeof(clap_plugin_timer_support) == 8 && sizeof(clap_host_timer_support) == 16);
static_assert(sizeof(clap_plugin_posix_fd_support) == 8 &&
              sizeof(clap_host_posix_fd_support) == 24);
static_assert(sizeof(clap_host_thread_check) == 16 && sizeof(clap_host_log) == 8);
static_assert(sizeof(clap_universal_plugin_id) == 16);
static_assert(sizeof(clap_preset_discovery_location) == 32 &&
              offsetof(clap_preset_discovery_location, kind) == 16 &&
              offsetof(clap_preset_discovery_location, location) == 24);
static_assert(sizeof(clap_preset_discovery_indexer) == 88 &&
              offsetof(clap_preset_discovery_indexer, indexer_data) == 48 &&
              offsetof(clap_preset_discovery_indexer, declare_location) == 64 &&
              offsetof(clap_preset_discovery_indexer, get_extension) == 80);
static_assert(sizeof(clap_preset_discovery_metadata_receiver) == 88 &&
              offsetof(clap_preset_discovery_metadata_receiver, begin_preset) == 16 &&
              offsetof(clap_preset_discovery_metadata_receiver, set_flags) == 40 &&
              offsetof(clap_preset_discovery_metadata_receiver, add_extra_info) == 80);
static_assert(sizeof(clap_preset_discovery_provider_descriptor) == 40 &&
              offsetof(clap_preset_discovery_provider_descriptor, vendor) == 32);
static_assert(sizeof(clap_preset_discovery_provider) == 48 &&
              offsetof(clap_preset_discovery_provider, get_metadata) == 32);
static_assert(sizeof(clap_preset_discovery_factory) == 24);
static_assert(sizeof(clap_plugin_preset_load) == 8 && sizeof(clap_host_preset_load) == 16);
