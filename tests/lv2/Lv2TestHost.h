#pragma once
// A small LV2 host on lilv for the tests: the built bundle alone in a world, a URID table, and
// instances whose control ports the test sets in user units and whose audio is connected per
// run. State goes through lilv as hosts do, or straight through the plug-in's state interface
// where a test needs the saved bytes themselves.
#include "lv2/Ports.h"
#include "lv2/Uris.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace lv2test
{
using namespace orv::lv2;

class World
{
public:
    World()
    {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, ORV_LV2_BUNDLE "/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, ORV_LV2_PLUGIN_URI);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
    }
    ~World() { lilv_world_free(world); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    LV2_URID id(const char* uri) { return urids.emplace(uri, urids.size() + 1).first->second; }

    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    std::map<std::string, LV2_URID> urids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri)
                     { return static_cast<World*>(h)->id(uri); }};
    LV2_URID_Unmap unmap{this,
                         [](LV2_URID_Unmap_Handle h, LV2_URID urid) -> const char*
                         {
                             for (const auto& [uri, id] : static_cast<World*>(h)->urids)
                                 if (id == urid) return uri.c_str();
                             return nullptr;
                         }};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    const LV2_Feature* features[3] = {&mapFeature, &unmapFeature, nullptr};
};

// The control values a state carries, by port symbol.
inline std::map<std::string, float> portValuesOf(const LilvState* state)
{
    std::map<std::string, float> values;
    lilv_state_emit_port_values(
        state,
        [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t)
        {
            if (size == sizeof(float))
                std::memcpy(&(*static_cast<std::map<std::string, float>*>(user))[symbol], value,
                            sizeof(float));
        },
        &values);
    return values;
}

class Instance
{
public:
    // Made with the described default at every control port; not yet active.
    explicit Instance(World& w) : world(w)
    {
        instance = lilv_plugin_instantiate(w.plugin, 44100.0, w.features);
        lilv_plugin_get_port_ranges_float(w.plugin, nullptr, nullptr, ports.data());
        for (uint32_t k = 0; k < kNumParams && instance; ++k)
            lilv_instance_connect_port(instance, kFirstControlPort + k, &control(k));
    }
    ~Instance()
    {
        if (active) lilv_instance_deactivate(instance);
        if (instance) lilv_instance_free(instance);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    float& control(uint32_t parameter) { return ports[kFirstControlPort + parameter]; }
    void set(const std::string& symbol, float portValue)
    {
        for (uint32_t k = 0; k < kNumParams; ++k)
            if (symbol == kParameterUnits[k].symbol) control(k) = portValue;
    }
    void activate(bool on = true)
    {
        on ? lilv_instance_activate(instance) : lilv_instance_deactivate(instance);
        active = on;
    }
    void run(const float* in, float* outL, float* outR, uint32_t frames)
    {
        lilv_instance_connect_port(instance, kInLeft, const_cast<float*>(in));
        lilv_instance_connect_port(instance, kInRight, const_cast<float*>(in));
        lilv_instance_connect_port(instance, kOutLeft, outL);
        lilv_instance_connect_port(instance, kOutRight, outR);
        lilv_instance_run(instance, frames);
    }
    void run(uint32_t frames) // silence in
    {
        std::vector<float> in(frames), out(frames);
        run(in.data(), out.data(), out.data(), frames);
    }

    const LV2_State_Interface* stateInterface() const
    {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    }
    // The program store as the plug-in saves it.
    std::vector<unsigned char> savedChunk()
    {
        std::vector<unsigned char> bytes;
        stateInterface()->save(
            lilv_instance_get_handle(instance),
            [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t, uint32_t)
            {
                const auto* b = static_cast<const unsigned char*>(value);
                static_cast<std::vector<unsigned char>*>(h)->assign(b, b + size);
                return LV2_STATE_SUCCESS;
            },
            &bytes, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
        return bytes;
    }
    // Hands the plug-in a program store, as a host's retrieve callback would.
    LV2_State_Status restoreChunk(const std::vector<unsigned char>& bytes)
    {
        struct Source
        {
            const std::vector<unsigned char>* bytes;
            LV2_URID type;
        } source{&bytes, world.id(LV2_ATOM__Chunk)};
        return stateInterface()->restore(
            lilv_instance_get_handle(instance),
            [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type,
               uint32_t* flags) -> const void*
            {
                const auto* s = static_cast<const Source*>(h);
                *size = s->bytes->size();
                *type = s->type;
                *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                return s->bytes->data();
            },
            &source, 0, nullptr);
    }

    // A host's snapshot: the control values and the plug-in's own state.
    LilvState* snapshot()
    {
        return lilv_state_new_from_instance(
            world.plugin, instance, &world.map, nullptr, nullptr, nullptr, nullptr,
            [](const char* symbol, void* user, uint32_t* size, uint32_t* type) -> const void*
            {
                auto* self = static_cast<Instance*>(user);
                *size = sizeof(float);
                *type = self->world.id(LV2_ATOM__Float);
                for (uint32_t k = 0; k < kNumParams; ++k)
                    if (std::strcmp(symbol, kParameterUnits[k].symbol) == 0) return &self->control(k);
                return nullptr;
            },
            this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, world.features);
    }
    // A host restoring a snapshot: the plug-in's state, then (if asked) the control values.
    void restore(const LilvState* state, bool withPortValues = true)
    {
        lilv_state_restore(
            state, instance,
            withPortValues ? [](const char* symbol, void* user, const void* value, uint32_t size,
                                uint32_t)
            {
                float v;
                if (size != sizeof v) return;
                std::memcpy(&v, value, sizeof v);
                static_cast<Instance*>(user)->set(symbol, v);
            }
                           : LilvSetPortValueFunc{},
            this, 0, world.features);
    }

    World& world;
    LilvInstance* instance = nullptr;
    bool active = false;
    std::array<float, kNumPorts> ports{}; // control values (audio entries unused)
};

// Fields of a saved program store: the current program, a program's name and values.
inline int32_t currentProgramOf(const std::vector<unsigned char>& chunk)
{
    int32_t current;
    std::memcpy(&current, chunk.data() + 12, sizeof current);
    return current;
}
inline std::string programNameOf(const std::vector<unsigned char>& chunk, int program)
{
    const char* name = reinterpret_cast<const char*>(chunk.data() + 32 + 56 * program);
    return std::string(name, strnlen(name, 24));
}
inline float programValueOf(const std::vector<unsigned char>& chunk, int program, int parameter)
{
    float v;
    std::memcpy(&v, chunk.data() + 32 + 56 * program + 24 + 4 * parameter, sizeof v);
    return v;
}

} // namespace lv2test
