// The built LV2 bundle in a small lilv host: its ports, presets and editor as a host reads them,
// and its saved state carried into fresh instances, compared with the VST plug-in's chunk.
#include "Lv2TestHost.h"
#include "effect/FactoryPrograms.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <lv2/presets/presets.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <set>
#include <thread>

namespace
{
using namespace lv2test;

std::string text(const LilvNode* node)
{
    return node ? lilv_node_as_string(node) : "";
}

class Lv2Bundle : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(world.plugin, nullptr) << "bundle " ORV_LV2_BUNDLE; }
    void TearDown() override
    {
        for (LilvNode* n : nodes)
            lilv_node_free(n);
    }
    LilvNode* uri(const char* u) { return nodes.emplace_back(lilv_new_uri(world.world, u)); }

    World world;
    std::vector<LilvNode*> nodes;
};

TEST_F(Lv2Bundle, PortsPresetsAndEditorAreWhatHostsRead)
{
    const LilvPlugin* plugin = world.plugin;
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kNumPorts);
    for (uint32_t i = 0; i < kNumPorts; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const bool control = i >= kFirstControlPort;
        EXPECT_TRUE(lilv_port_is_a(plugin, port,
                                   uri(control ? LV2_CORE__ControlPort : LV2_CORE__AudioPort)));
        EXPECT_TRUE(lilv_port_is_a(
            plugin, port,
            uri(i < kOutLeft || control ? LV2_CORE__InputPort : LV2_CORE__OutputPort)));
        if (!control) continue;
        const int32_t k = static_cast<int32_t>(i - kFirstControlPort);
        EXPECT_EQ(text(lilv_port_get_symbol(plugin, port)), kParameterUnits[k].symbol);
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(plugin, port, &def, &min, &max);
        EXPECT_EQ(lilv_node_as_float(def), toUnitValue(k, kFactoryPrograms[0].values[k]));
        EXPECT_EQ(lilv_node_as_float(min), unitMinimum(k));
        EXPECT_EQ(lilv_node_as_float(max), unitMaximum(k));
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
        EXPECT_EQ(lilv_port_has_property(plugin, port, uri(LV2_CORE__integer)), k == kTranspose);
        EXPECT_EQ(lilv_port_has_property(plugin, port, uri(LV2_CORE__toggled)), k == kBypass);
    }
    // A host offering no feature at all (lv2apply) can load it.
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);

    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_TRUE(lilv_ui_is_a(ui, uri("http://lv2plug.in/ns/extensions/ui#X11UI")));
    EXPECT_EQ(text(lilv_ui_get_binary_uri(ui)), "file://" ORV_LV2_BUNDLE "/OrvSympharon_ui.so");
    lilv_uis_free(uis);

    // The six factory programs as presets of the five sound parameters. Loaded into an
    // instance with Mix at 40 %, each gives exactly the program's values, and Mix stays.
    LilvNodes* presets = lilv_plugin_get_related(plugin, uri(LV2_PRESETS__Preset));
    std::set<std::string> labels;
    LILV_FOREACH(nodes, i, presets)
    {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world.world, preset);
        LilvState* state = lilv_state_new_from_world(world.world, &world.map, preset);
        ASSERT_NE(state, nullptr);
        const std::string label = lilv_state_get_label(state);
        labels.insert(label);
        EXPECT_EQ(portValuesOf(state).size(), 5u) << label;
        Instance instance(world);
        instance.set("mix", 40.0f);
        instance.activate();
        instance.restore(state);
        instance.run(1);
        const auto chunk = instance.savedChunk();
        for (const FactoryProgram& program : kFactoryPrograms)
        {
            if (label != program.name) continue;
            for (int32_t k = 0; k < kNumParams; ++k)
                EXPECT_EQ(programValueOf(chunk, 0, k), k == kMix ? 0.4f : program.values[k])
                    << label << " " << kParameterUnits[k].symbol;
        }
        lilv_state_free(state);
    }
    lilv_nodes_free(presets);
    std::set<std::string> names;
    for (const FactoryProgram& program : kFactoryPrograms)
        names.insert(program.name);
    EXPECT_EQ(labels, names);
}

// The VST plug-in's program store, made through its entry point, with program 3 current and
// renamed and a changed Decay: the state to begin with.
std::vector<unsigned char> editedVstStore(LoadedPlugin& vst)
{
    auto chunk = vst.chunk();
    const int32_t current = 3;
    std::memcpy(chunk.data() + 12, &current, sizeof current);
    vst.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    char name[] = "Kept name";
    vst.dispatch(effSetProgramName, 0, 0, name);
    vst.setParameter(kDecay, 0.8f);
    return vst.chunk();
}

TEST_F(Lv2Bundle, StateCarriesTheWholeProgramStoreIntoAFreshInstance)
{
    RecordingHost host;
    LoadedPlugin vst(host);
    const auto store = editedVstStore(vst);

    Instance first(world);
    first.activate();
    EXPECT_EQ(first.restoreChunk(store), LV2_STATE_SUCCESS);
    first.run(16);
    first.set("mix", 40.0f); // a global: all six programs take it
    first.run(16);
    vst.setParameter(kMix, 0.4f);
    EXPECT_EQ(first.savedChunk(), vst.chunk()) << "the same bytes as the VST chunk";

    // Through a host's snapshot, written out as text and read back.
    LilvState* saved = first.snapshot();
    char* turtle = lilv_state_to_string(world.world, &world.map, &world.unmap, saved,
                                        "urn:orv:state", nullptr);
    LilvState* read = lilv_state_new_from_string(world.world, &world.map, turtle);
    ASSERT_NE(read, nullptr);
    Instance second(world);
    second.activate();
    second.restore(read);
    second.run(16);
    const auto restored = second.savedChunk();
    EXPECT_EQ(restored, first.savedChunk());
    EXPECT_EQ(currentProgramOf(restored), 3);
    EXPECT_EQ(programNameOf(restored, 3), "Kept name");
    EXPECT_EQ(programValueOf(restored, 3, kDecay), 0.8f);

    // What cannot be a saved store is refused and changes nothing; a state without one (port
    // values only, as a preset) keeps the programs and applies its values.
    auto damaged = restored;
    damaged[4] ^= 0xFF; // the unique ID
    EXPECT_NE(second.restoreChunk(damaged), LV2_STATE_SUCCESS);
    EXPECT_NE(second.restoreChunk({restored.begin(), restored.end() - 1}), LV2_STATE_SUCCESS);
    LilvState* portsOnly = lilv_state_new_from_string(
        world.world, &world.map,
        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
        "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
        "<urn:orv:ports> a pset:Preset ; lv2:appliesTo <" ORV_LV2_PLUGIN_URI "> ;\n"
        "    lv2:port [ lv2:symbol \"damp\" ; pset:value 40.0 ] .\n");
    ASSERT_NE(portsOnly, nullptr);
    second.restore(portsOnly);
    second.run(1);
    auto expected = restored;
    const float damp = 0.4f;
    std::memcpy(expected.data() + 32 + 56 * 3 + 24 + 4 * kDamp, &damp, sizeof damp);
    EXPECT_EQ(second.savedChunk(), expected);

    lilv_state_free(portsOnly);
    lilv_state_free(read);
    lilv_free(turtle);
    lilv_state_free(saved);
}

// A host may set the control ports before or after it restores the state (while the instance
// is inactive), and may run in between; the ports may even disagree with the state (here Decay
// 60 % against 0.8 in the store). Every order ends in the same sound and store: the state's.
TEST_F(Lv2Bundle, StateAndPortsInEitherOrderEndAlike)
{
    RecordingHost host;
    LoadedPlugin vst(host);
    Instance source(world);
    source.set("decay", 60.0f);
    source.set("tune", -30.0f);
    source.activate();
    source.run(8);
    ASSERT_EQ(source.restoreChunk(editedVstStore(vst)), LV2_STATE_SUCCESS);
    source.run(8);
    LilvState* saved = source.snapshot();

    Instance stateFirst(world);
    stateFirst.restore(saved); // the plug-in's state, then the ports
    stateFirst.activate();

    Instance portsFirst(world);
    for (const auto& [symbol, value] : portValuesOf(saved))
        portsFirst.set(symbol, value);
    portsFirst.activate();
    portsFirst.run(8);
    portsFirst.activate(false);
    portsFirst.restore(saved, false);
    portsFirst.activate();

    std::vector<float> input(4096), a(4096), b(4096), scratch(4096);
    for (size_t i = 0; i < 2048; ++i)
        input[i] = static_cast<float>((i * 7919) % 1000) / 1000.0f - 0.5f;
    stateFirst.run(input.data(), a.data(), scratch.data(), 4096);
    portsFirst.run(input.data(), b.data(), scratch.data(), 4096);
    EXPECT_EQ(a, b);
    EXPECT_EQ(stateFirst.savedChunk(), portsFirst.savedChunk());
    EXPECT_EQ(stateFirst.savedChunk(), source.savedChunk());
    EXPECT_EQ(programValueOf(stateFirst.savedChunk(), 3, kDecay), 0.8f);
    lilv_state_free(saved);
}

// Controls set while the instance is inactive (never activated yet, or deactivated) have reached
// no run when the host saves: the saved state holds them all the same, and restored they play.
TEST_F(Lv2Bundle, StateSavedWhileInactiveHoldsTheControls)
{
    for (const bool ranBefore : {false, true})
    {
        SCOPED_TRACE(ranBefore ? "deactivated" : "never activated");
        Instance source(world);
        if (ranBefore)
        {
            source.activate();
            source.run(8);
            source.activate(false);
        }
        source.set("decay", 80.0f);
        LilvState* saved = source.snapshot();
        Instance restored(world);
        restored.restore(saved);
        restored.activate();
        restored.run(8);
        EXPECT_EQ(programValueOf(restored.savedChunk(), 0, kDecay), 0.8f);
        lilv_state_free(saved);
    }
}

// A host that saves right after the user changed controls, before any run took them (a
// scripted session, a stopped engine), active or not: the saved state holds the controls, and a
// fresh instance restored from it with the host's port values sounds like a fresh instance with
// those values. The instance itself takes them at its next run, as ever.
TEST_F(Lv2Bundle, StateSavedRightAfterAControlChangeHoldsIt)
{
    std::vector<float> input(4096), expected(4096), got(4096), scratch(4096);
    for (size_t i = 0; i < 1024; ++i)
        input[i] = static_cast<float>((i * 7919) % 1000) / 1000.0f - 0.5f;
    for (const bool active : {true, false})
    {
        SCOPED_TRACE(active ? "active" : "inactive");
        Instance source(world);
        source.activate();
        source.run(64);
        if (!active) source.activate(false);
        source.set("mix", 100.0f);
        source.set("decay", 90.0f);
        source.set("transpose", -5.0f);
        LilvState* saved = source.snapshot();
        const auto chunk = source.savedChunk();
        const int32_t current = currentProgramOf(chunk);
        EXPECT_EQ(programValueOf(chunk, current, kDecay), toNormalized(kDecay, 90.0f));
        EXPECT_EQ(programValueOf(chunk, current, kTranspose), toNormalized(kTranspose, -5.0f));
        for (int p = 0; p < 6; ++p)
            EXPECT_EQ(programValueOf(chunk, p, kMix), 1.0f) << "Mix is in every program";
        EXPECT_EQ(programValueOf(chunk, current == 0 ? 1 : 0, kDecay),
                  kFactoryPrograms[current == 0 ? 1 : 0].values[kDecay])
            << "the other programs keep their own Decay";

        Instance restored(world);
        restored.restore(saved);
        restored.activate();
        Instance fresh(world);
        for (const auto& [symbol, value] : portValuesOf(saved))
            fresh.set(symbol, value);
        fresh.activate();
        restored.run(input.data(), got.data(), scratch.data(), 4096);
        fresh.run(input.data(), expected.data(), scratch.data(), 4096);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(restored.savedChunk(), fresh.savedChunk());

        // The save changed nothing in the source: its next run takes the controls as before.
        if (!active) source.activate();
        source.run(1);
        EXPECT_EQ(source.savedChunk(), chunk);
        lilv_state_free(saved);
    }
}

// LV2 lets a host save while run goes on on another thread. Every save holds the controls the
// host set before it, whether or not a run has taken them yet.
TEST_F(Lv2Bundle, StateSavedBesideRunHoldsTheControls)
{
    Instance source(world);
    source.activate();
    std::atomic<bool> stop{false};
    std::thread audio(
        [&]
        {
            std::vector<float> in(32), out(32);
            while (!stop.load())
                source.run(in.data(), out.data(), out.data(), 32);
        });
    // Stops the audio thread however the trials end.
    struct Joiner
    {
        std::atomic<bool>& stop;
        std::thread& thread;
        ~Joiner()
        {
            stop.store(true);
            thread.join();
        }
    } joiner{stop, audio};
    for (int trial = 0; trial < 300; ++trial)
    {
        const float decay = static_cast<float>(trial % 101);
        const float mix = static_cast<float>((trial * 37) % 101);
        source.set("decay", decay);
        source.set("mix", mix);
        const auto chunk = source.savedChunk();
        ASSERT_EQ(chunk.size(), 368u);
        const int32_t current = currentProgramOf(chunk);
        ASSERT_EQ(programValueOf(chunk, current, kDecay), toNormalized(kDecay, decay))
            << "trial " << trial;
        for (int p = 0; p < 6; ++p)
            ASSERT_EQ(programValueOf(chunk, p, kMix), toNormalized(kMix, mix))
                << "trial " << trial << ", program " << p << " of current " << current;
    }
}

// What a host may hand over that is no use: rates that are no rate, a URID map that answers 0
// (no key to store under or read from).
TEST_F(Lv2Bundle, UnusableRatesAndKeysAreRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (const double rate : {0.0, -1.0, std::nan(""), inf, -inf, -0.0, 1e300})
    {
        LilvInstance* instance = lilv_plugin_instantiate(world.plugin, rate, world.features);
        EXPECT_EQ(instance, nullptr) << "rate " << rate;
        if (instance) lilv_instance_free(instance);
    }
    LilvInstance* good = lilv_plugin_instantiate(world.plugin, 8000.0, world.features);
    EXPECT_NE(good, nullptr);
    if (good) lilv_instance_free(good);

    LV2_URID_Map zeroMap{nullptr, [](LV2_URID_Map_Handle, const char*) -> LV2_URID { return 0; }};
    const LV2_Feature zeroFeature{LV2_URID__map, &zeroMap};
    const LV2_Feature* features[] = {&zeroFeature, nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(world.plugin, 44100.0, features);
    ASSERT_NE(instance, nullptr);
    const auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    ASSERT_NE(state, nullptr);
    int calls = 0;
    EXPECT_EQ(state->save(
                  lilv_instance_get_handle(instance),
                  [](LV2_State_Handle h, uint32_t, const void*, size_t, uint32_t, uint32_t)
                  {
                      ++*static_cast<int*>(h);
                      return LV2_STATE_SUCCESS;
                  },
                  &calls, LV2_STATE_IS_POD, nullptr),
              LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(state->restore(
                  lilv_instance_get_handle(instance),
                  [](LV2_State_Handle h, uint32_t, size_t*, uint32_t*, uint32_t*) -> const void*
                  {
                      ++*static_cast<int*>(h);
                      return nullptr;
                  },
                  &calls, 0, nullptr),
              LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(calls, 0);
    lilv_instance_free(instance);

    // The description hosts show.
    LilvNode* comment =
        lilv_world_get(world.world, lilv_plugin_get_uri(world.plugin),
                       uri("http://www.w3.org/2000/01/rdf-schema#comment"), nullptr);
    EXPECT_EQ(text(comment), "Orv Sympharon - string resonator plug-in");
    lilv_node_free(comment);
}

} // namespace
