// The built LV2 bundle in a small lilv host: its ports, presets and editor as a host reads them,
// and its saved state carried into fresh instances, compared with the VST plug-in's chunk.
#include "Lv2TestHost.h"
#include "effect/FactoryPrograms.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <lv2/presets/presets.h>

#include <set>

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

} // namespace
