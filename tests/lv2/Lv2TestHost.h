#pragma once
// A small LV2 host on lilv for the tests: the built bundle alone in a world, a URID table, and
// instances whose control ports the test sets in user units and whose audio is connected per
// run. Saving and restoring go through lilv as hosts do, or straight through the plug-in's
// state interface where a test needs the saved bytes themselves.
#include "lv2/PortMapping.h"
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

class UridTable
{
public:
    UridTable()
    {
        map = {this, [](LV2_URID_Map_Handle h, const char* uri)
               { return static_cast<UridTable*>(h)->id(uri); }};
        unmap = {this, [](LV2_URID_Unmap_Handle h, LV2_URID urid)
                 { return static_cast<UridTable*>(h)->uri(urid); }};
    }
    UridTable(const UridTable&) = delete;
    UridTable& operator=(const UridTable&) = delete;

    LV2_URID id(const char* uri)
    {
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    const char* uri(LV2_URID urid) const
    {
        return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
    }

    LV2_URID_Map map;
    LV2_URID_Unmap unmap;
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    const LV2_Feature* features[3] = {&mapFeature, &unmapFeature, nullptr};

private:
    std::vector<std::string> uris;
};

class World
{
public:
    World()
    {
        world = lilv_world_new();
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

    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;
    UridTable urids;
};

// The control values a port-value state carries, by symbol.
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
    explicit Instance(World& w, double sampleRate = 44100.0) : world(w)
    {
        instance = lilv_plugin_instantiate(w.plugin, sampleRate, w.urids.features);
        if (!instance) return;
        // What a host starts with: the described defaults.
        for (int32_t k = 0; k < kNumParams; ++k)
        {
            const LilvPort* port = lilv_plugin_get_port_by_index(w.plugin, kFirstControlPort + k);
            LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
            lilv_port_get_range(w.plugin, port, &def, &min, &max);
            control[k] = def ? lilv_node_as_float(def) : 0.0f;
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
            lilv_instance_connect_port(instance, kFirstControlPort + k, &control[k]);
        }
    }
    ~Instance()
    {
        if (!instance) return;
        if (active) lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    // Control values set before this take effect before the strings start.
    void activate()
    {
        lilv_instance_activate(instance);
        active = true;
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    void set(const std::string& symbol, float portValue)
    {
        for (int32_t k = 0; k < kNumParams; ++k)
            if (symbol == kControlPorts[k].symbol) control[k] = portValue;
    }

    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
    {
        lilv_instance_connect_port(instance, kInLeft, const_cast<float*>(inL));
        lilv_instance_connect_port(instance, kInRight, const_cast<float*>(inR));
        lilv_instance_connect_port(instance, kOutLeft, outL);
        lilv_instance_connect_port(instance, kOutRight, outR);
        lilv_instance_run(instance, frames);
    }
    // Silence in, output dropped.
    void run(uint32_t frames)
    {
        std::vector<float> in(frames), out(frames);
        run(in.data(), in.data(), out.data(), out.data(), frames);
    }

    const LV2_State_Interface* stateInterface() const
    {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    }

    // The program store as the plug-in saves it (the property's bytes).
    std::vector<unsigned char> savedChunk()
    {
        std::vector<unsigned char> bytes;
        stateInterface()->save(
            lilv_instance_get_handle(instance),
            [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t, uint32_t)
            {
                auto* to = static_cast<std::vector<unsigned char>*>(h);
                to->assign(static_cast<const unsigned char*>(value),
                           static_cast<const unsigned char*>(value) + size);
                return LV2_STATE_SUCCESS;
            },
            &bytes, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
        return bytes;
    }

    // Hands the plug-in a program store to restore, as a host's retrieve callback would.
    LV2_State_Status restoreChunk(const std::vector<unsigned char>& bytes)
    {
        struct Retrieve
        {
            const std::vector<unsigned char>* bytes;
            LV2_URID type;
        } source{&bytes, world.urids.id(LV2_ATOM__Chunk)};
        return stateInterface()->restore(
            lilv_instance_get_handle(instance),
            [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type,
               uint32_t* flags) -> const void*
            {
                auto* s = static_cast<Retrieve*>(h);
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
            world.plugin, instance, &world.urids.map, nullptr, nullptr, nullptr, nullptr,
            [](const char* symbol, void* user, uint32_t* size, uint32_t* type) -> const void*
            {
                auto* self = static_cast<Instance*>(user);
                *size = sizeof(float);
                *type = self->world.urids.id(LV2_ATOM__Float);
                for (int32_t k = 0; k < kNumParams; ++k)
                    if (std::strcmp(symbol, kControlPorts[k].symbol) == 0) return &self->control[k];
                return nullptr;
            },
            this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, world.urids.features);
    }

    // A host restoring a snapshot: the plug-in's state, then the control values.
    void restore(const LilvState* state, bool withPortValues = true)
    {
        lilv_state_restore(state, instance, withPortValues ? setPortValue : nullptr, this, 0,
                           world.urids.features);
    }
    static void setPortValue(const char* symbol, void* user, const void* value, uint32_t size,
                             uint32_t)
    {
        float v;
        if (size != sizeof v) return;
        std::memcpy(&v, value, sizeof v);
        static_cast<Instance*>(user)->set(symbol, v);
    }

    World& world;
    LilvInstance* instance = nullptr;
    bool active = false;
    std::array<float, kNumParams> control{};
};

// The fields of a saved program store.
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
