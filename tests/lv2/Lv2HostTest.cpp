// The built LV2 bundle in a small lilv host: its ports and presets as a host reads them, its
// audio against the built VST 2.4 plug-in, and its saved state carried into fresh instances.
#include "Lv2TestHost.h"
#include "effect/FactoryPrograms.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <lv2/presets/presets.h>

#include <cmath>
#include <cstdint>
#include <set>

namespace
{
using namespace lv2test;

std::vector<float> noiseBurst(size_t frames, size_t burst, uint32_t seed)
{
    std::vector<float> samples(frames, 0.0f);
    for (size_t i = 0; i < burst; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        samples[i] = static_cast<float>(static_cast<int32_t>(seed)) * 0x1p-32f;
    }
    return samples;
}

std::string nodeString(const LilvNode* node)
{
    return node ? lilv_node_as_string(node) : "";
}

class Lv2Bundle : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(world.plugin, nullptr) << "bundle " ORV_LV2_BUNDLE; }
    LilvNode* uri(const char* text)
    {
        nodes.push_back(lilv_new_uri(world.world, text));
        return nodes.back();
    }
    void TearDown() override
    {
        for (LilvNode* n : nodes)
            lilv_node_free(n);
    }

    World world;
    std::vector<LilvNode*> nodes;
};

TEST_F(Lv2Bundle, PortsPresetsAndEditorAreWhatHostsRead)
{
    const LilvPlugin* plugin = world.plugin;
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), static_cast<uint32_t>(kNumPorts));
    const char* audioSymbols[] = {"in_left", "in_right", "out_left", "out_right"};
    for (uint32_t i = 0; i < kFirstControlPort; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, uri(LV2_CORE__AudioPort))) << i;
        EXPECT_TRUE(lilv_port_is_a(plugin, port,
                                   uri(i < kOutLeft ? LV2_CORE__InputPort : LV2_CORE__OutputPort)));
        EXPECT_EQ(nodeString(lilv_port_get_symbol(plugin, port)), audioSymbols[i]);
    }
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, kFirstControlPort + k);
        SCOPED_TRACE(kControlPorts[k].symbol);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, uri(LV2_CORE__ControlPort)));
        EXPECT_TRUE(lilv_port_is_a(plugin, port, uri(LV2_CORE__InputPort)));
        EXPECT_EQ(nodeString(lilv_port_get_symbol(plugin, port)), kControlPorts[k].symbol);
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(plugin, port, &def, &min, &max);
        ASSERT_TRUE(def && min && max);
        EXPECT_EQ(lilv_node_as_float(def), toPortValue(k, kFactoryPrograms[0].values[k]));
        EXPECT_EQ(lilv_node_as_float(min), portMinimum(k));
        EXPECT_EQ(lilv_node_as_float(max), portMaximum(k));
        EXPECT_EQ(toNormalized(k, lilv_node_as_float(max)), 1.0f);
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
        EXPECT_EQ(lilv_port_has_property(plugin, port, uri(LV2_CORE__integer)), k == kTranspose);
        EXPECT_EQ(lilv_port_has_property(plugin, port, uri(LV2_CORE__toggled)), k == kBypass);
    }
    // Hosts that offer no feature at all (lv2apply) can load it; state is there for the rest.
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, uri(LV2_STATE__interface)));

    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_EQ(nodeString(lilv_ui_get_uri(ui)), ORV_LV2_UI_URI);
    EXPECT_TRUE(lilv_ui_is_a(ui, uri("http://lv2plug.in/ns/extensions/ui#X11UI")));
    char* binary = lilv_file_uri_parse(nodeString(lilv_ui_get_binary_uri(ui)).c_str(), nullptr);
    EXPECT_EQ(std::string(binary), ORV_LV2_BUNDLE "/OrvSympharon_ui.so");
    lilv_free(binary);
    lilv_uis_free(uis);

    // The six factory programs as presets, each carrying the five parameters of the sound in
    // the units of the ports.
    LilvNodes* presets = lilv_plugin_get_related(plugin, uri(LV2_PRESETS__Preset));
    ASSERT_EQ(lilv_nodes_size(presets), 6u);
    std::set<std::string> labels;
    LILV_FOREACH(nodes, i, presets)
    {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world.world, preset);
        LilvState* state = lilv_state_new_from_world(world.world, &world.urids.map, preset);
        ASSERT_NE(state, nullptr);
        const std::string label = lilv_state_get_label(state);
        labels.insert(label);
        const FactoryProgram* program = nullptr;
        for (const FactoryProgram& p : kFactoryPrograms)
            if (label == p.name) program = &p;
        ASSERT_NE(program, nullptr) << label;
        const auto values = portValuesOf(state);
        EXPECT_EQ(values.size(), 5u) << label;
        for (const auto& [symbol, value] : values)
            for (int32_t k = 0; k < kNumParams; ++k)
            {
                if (symbol == kControlPorts[k].symbol)
                {
                    EXPECT_EQ(value, toPortValue(k, program->values[k])) << label << " " << symbol;
                }
            }

        // Loaded into an instance with Mix at 40 %, the preset's values are exactly the
        // program's, and Mix stays.
        Instance instance(world);
        instance.set("mix", 40.0f);
        instance.activate();
        instance.run(1);
        instance.restore(state);
        instance.run(1);
        const auto chunk = instance.savedChunk();
        for (int32_t k = 0; k < kNumParams; ++k)
            EXPECT_EQ(programValueOf(chunk, 0, k), k == kMix ? 0.4f : program->values[k])
                << label << " " << kControlPorts[k].symbol;
        lilv_state_free(state);
    }
    EXPECT_EQ(labels.size(), 6u);
    lilv_nodes_free(presets);
}

// Any cutting of the audio into runs gives what the VST plug-in gives with the same settings
// in blocks of 512: the settings in user units at the ports, the normalized ones set directly.
TEST_F(Lv2Bundle, RendersLikeTheVstPluginBitForBitWhateverTheBlocks)
{
    constexpr double kRate = 48000.0;
    constexpr size_t kFrames = 96000;
    const auto inL = noiseBurst(kFrames, 24000, 1);
    const auto inR = noiseBurst(kFrames, 24000, 2);
    struct Setting
    {
        const char* symbol;
        float port;
        int32_t parameter;
        float normalized;
    };
    const Setting settings[] = {
        {"output", 0.0f, kOutput, 0.5f},          {"mix", 40.0f, kMix, 0.4f},
        {"decay", 80.0f, kDecay, 0.8f},           {"damp", 30.0f, kDamp, 0.3f},
        {"transpose", -12.0f, kTranspose, 0.25f}, {"tune", 25.0f, kTune, 0.625f},
        {"detune", 50.0f, kDetune, 0.5f}};

    RecordingHost host;
    LoadedPlugin vst(host);
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    for (const Setting& s : settings)
        vst.setParameter(s.parameter, s.normalized);
    vst.dispatch(effMainsChanged, 0, 1);
    std::vector<float> vstL(kFrames), vstR(kFrames);
    for (size_t at = 0; at < kFrames; at += 512)
    {
        float* in[2] = {const_cast<float*>(&inL[at]), const_cast<float*>(&inR[at])};
        float* out[2] = {&vstL[at], &vstR[at]};
        vst.effect()->processReplacing(vst.effect(), in, out,
                                       static_cast<VstInt32>(std::min<size_t>(512, kFrames - at)));
    }

    Instance lv2(world, kRate);
    ASSERT_NE(lv2.instance, nullptr);
    for (const Setting& s : settings)
        lv2.set(s.symbol, s.port);
    lv2.activate();
    std::vector<float> outL(kFrames), outR(kFrames);
    const uint32_t runs[] = {1, 3, 64, 7, 1000, 2, 441, 1, 4096};
    size_t at = 0;
    for (size_t r = 0; at < kFrames; ++r)
    {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(runs[r % 9], kFrames - at));
        lv2.run(&inL[at], &inR[at], &outL[at], &outR[at], n);
        at += n;
    }
    EXPECT_EQ(std::memcmp(outL.data(), vstL.data(), kFrames * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(outR.data(), vstR.data(), kFrames * sizeof(float)), 0);
    // The strings still ring half a second after the burst.
    EXPECT_GT(std::fabs(outL[kFrames - 100]) + std::fabs(outR[kFrames - 100]), 1e-4f);
}

// The program store of the VST plug-in (program 3 current and renamed, a changed Decay), made
// through its entry point, as the state to begin with.
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
    char* text = lilv_state_to_string(world.world, &world.urids.map, &world.urids.unmap, saved,
                                      "urn:orv:state", nullptr);
    LilvState* read = lilv_state_new_from_string(world.world, &world.urids.map, text);
    ASSERT_NE(read, nullptr);
    Instance second(world);
    second.activate();
    second.restore(read);
    second.run(16);
    const auto restored = second.savedChunk();
    EXPECT_EQ(restored, first.savedChunk());
    EXPECT_EQ(currentProgramOf(restored), 3);
    EXPECT_EQ(programNameOf(restored, 3), "Kept name");
    EXPECT_EQ(programNameOf(restored, 5), "Detuned");
    EXPECT_EQ(programValueOf(restored, 3, kDecay), 0.8f);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(programValueOf(restored, p, kMix), 0.4f);

    // What cannot be a saved store changes nothing and says so; a state without one (a preset
    // of port values) keeps the programs.
    auto damaged = restored;
    damaged[4] ^= 0xFF; // the unique ID
    EXPECT_NE(second.restoreChunk(damaged), LV2_STATE_SUCCESS);
    EXPECT_NE(second.restoreChunk({restored.begin(), restored.end() - 1}), LV2_STATE_SUCCESS);
    LilvState* portsOnly = lilv_state_new_from_string(
        world.world, &world.urids.map,
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
    lilv_free(text);
    lilv_state_free(saved);
}

// A host may set the control ports before or after it restores the state (while the instance
// is inactive), and may run in between; the ports may even disagree with the state (here Decay
// 60 % against 0.8 in the store). Every order ends in the same sound and store: the state's.
TEST_F(Lv2Bundle, StateAndPortsInEitherOrderEndAlike)
{
    RecordingHost host;
    LoadedPlugin vst(host);
    const auto store = editedVstStore(vst);
    Instance source(world);
    source.set("decay", 60.0f);
    source.set("tune", -30.0f);
    source.activate();
    source.run(8);
    ASSERT_EQ(source.restoreChunk(store), LV2_STATE_SUCCESS);
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
    lilv_instance_deactivate(portsFirst.instance);
    portsFirst.restore(saved, false);
    lilv_instance_activate(portsFirst.instance);

    const auto input = noiseBurst(4096, 2048, 7);
    std::vector<float> outA(4096), outB(4096), scratch(4096);
    stateFirst.run(input.data(), input.data(), outA.data(), scratch.data(), 4096);
    portsFirst.run(input.data(), input.data(), outB.data(), scratch.data(), 4096);
    EXPECT_EQ(stateFirst.savedChunk(), portsFirst.savedChunk());
    EXPECT_EQ(stateFirst.savedChunk(), source.savedChunk());
    EXPECT_EQ(programValueOf(stateFirst.savedChunk(), 3, kDecay), 0.8f);
    EXPECT_EQ(outA, outB);
    lilv_state_free(saved);
}

} // namespace
