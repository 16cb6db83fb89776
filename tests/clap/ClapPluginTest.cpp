// The built OrvSympharon.clap in our test host: entry and descriptor, ports and parameters, value
// texts, events at sample offsets, state through short streams, damaged state, the tail, the
// thread rules, and its sound against the VST 2.4 plug-in's, bit for bit.
#include "ClapTestHost.h"
#include "OrvVersion.h"
#include "effect/FactoryPrograms.h"
#include "effecthost/ParameterUnits.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace
{
using namespace claptest;
using orv::effecthost::toNormalized;

constexpr double kRate = 48000.0;

class Clap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(library.entry, nullptr) << library.error;
        ASSERT_NE(plugin.plugin, nullptr);
        ASSERT_TRUE(plugin.params && plugin.state && plugin.ports && plugin.latency &&
                    plugin.tail && plugin.gui && plugin.render);
    }
    void TearDown() override { EXPECT_EQ(host.threadFaults(), std::vector<std::string>{}); }

    ClapLibrary library{ORV_CLAP_PATH};
    TestHost host;
    Plugin plugin{library, host};
};

TEST(ClapEntry, DescriptorAndFactoryAreWhatHostsRead)
{
    ClapLibrary library(ORV_CLAP_PATH);
    ASSERT_NE(library.entry, nullptr) << library.error;
    EXPECT_EQ(library.entry->version.major, 1u);
    // A second init (a wrapper besides the host) is fine and needs its own deinit.
    EXPECT_TRUE(library.entry->init(ORV_CLAP_PATH));
    library.entry->deinit();
    EXPECT_EQ(library.entry->get_factory("no.such.factory"), nullptr);
    const clap_plugin_factory* factory = library.factory();
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor* d = factory->get_plugin_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->version.major, 1u);
    EXPECT_STREQ(d->id, "com.orvatone.orv-sympharon");
    EXPECT_STREQ(d->name, "Orv Sympharon");
    EXPECT_STREQ(d->vendor, "www.orvatone.com");
    EXPECT_STREQ(d->url, "https://www.orvatone.com");
    EXPECT_STREQ(d->version_text, ORV_VERSION_TEXT);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; ++f)
        features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "reverb", "stereo"}));

    TestHost host;
    EXPECT_EQ(factory->create_plugin(factory, host.host(), "com.orvatone.other"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, d->id), nullptr);
}

TEST_F(Clap, PortsLatencyRenderAndUnknownExtensions)
{
    for (bool input : {true, false})
    {
        ASSERT_EQ(plugin.ports->count(plugin.plugin, input), 1u);
        clap_audio_port_info info{};
        ASSERT_TRUE(plugin.ports->get(plugin.plugin, 0, input, &info));
        EXPECT_EQ(info.id, 0u);
        EXPECT_EQ(info.flags, CLAP_AUDIO_PORT_IS_MAIN);
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, "stereo");
        EXPECT_EQ(info.in_place_pair, 0u);
        EXPECT_FALSE(plugin.ports->get(plugin.plugin, 1, input, &info));
    }
    EXPECT_EQ(plugin.latency->get(plugin.plugin), 0u);
    EXPECT_FALSE(plugin.render->has_hard_realtime_requirement(plugin.plugin));
    EXPECT_TRUE(plugin.render->set(plugin.plugin, CLAP_RENDER_OFFLINE));
    EXPECT_EQ(plugin.ext<void>("clap.note-ports"), nullptr);
    EXPECT_EQ(plugin.ext<void>("clap.params.nonsense"), nullptr);
}

struct ExpectedParameter
{
    const char* name;
    double min, max, defaultValue;
    bool stepped;
};

TEST_F(Clap, ParametersInDisplayUnitsAllAutomatableNoneTheHostsBypass)
{
    const ExpectedParameter expected[] = {
        {"Output", -60.0, 20.0 * std::log10(4.0), 0.0, false},
        {"Mix", 0.0, 100.0, 25.0, false},
        {"Decay", 0.0, 100.0, 25.0, false},
        {"Damp", 0.0, 100.0, 25.0, false},
        {"Transpose", -24.0, 24.0, 0.0, true},
        {"Tune", -100.0, 100.0, 0.0, false},
        {"Detune", 0.0, 100.0, 0.0, false},
        {"Bypass", 0.0, 1.0, 0.0, true},
    };
    ASSERT_EQ(plugin.params->count(plugin.plugin), 8u);
    for (uint32_t i = 0; i < 8; ++i)
    {
        const ExpectedParameter& e = expected[i];
        SCOPED_TRACE(e.name);
        clap_param_info info{};
        ASSERT_TRUE(plugin.params->get_info(plugin.plugin, i, &info));
        EXPECT_EQ(info.id, i);
        EXPECT_STREQ(info.name, e.name);
        EXPECT_STREQ(info.module, "");
        EXPECT_NEAR(info.min_value, e.min, 1e-5);
        EXPECT_NEAR(info.max_value, e.max, 1e-5);
        EXPECT_NEAR(info.default_value, e.defaultValue, 1e-5);
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, e.stepped);
        EXPECT_FALSE(info.flags & (CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_HIDDEN |
                                   CLAP_PARAM_IS_READONLY | CLAP_PARAM_IS_MODULATABLE));
        // A fresh instance holds the program "Default".
        EXPECT_NEAR(plugin.value(i), e.defaultValue, 1e-5);
    }
    clap_param_info info{};
    EXPECT_FALSE(plugin.params->get_info(plugin.plugin, 8, &info));
    double v = 0.0;
    EXPECT_FALSE(plugin.params->get_value(plugin.plugin, 8, &v));
}

struct Text
{
    clap_id id;
    double value;
    const char* shown;
};

TEST_F(Clap, ValueTextsAreTheEditorsAndReadBack)
{
    const Text texts[] = {
        {0, 0.0, "0.0dB"}, {0, -60.0, "-oo dB"}, {0, -6.0, "-6.0dB"}, {0, 12.0, "12.0dB"},
        {1, 25.0, "25%"},  {2, 80.0, "80%"},     {3, 99.5, "99%"},    {4, 12.0, "#12"},
        {4, -3.0, "b3"},   {4, 0.0, "0"},        {5, -12.0, "-12c"},  {5, 100.0, "100c"},
        {6, 0.0, "0%"},    {7, 1.0, "on"},       {7, 0.0, "off"},
    };
    for (const Text& t : texts)
    {
        SCOPED_TRACE(std::to_string(t.id) + " " + t.shown);
        EXPECT_EQ(plugin.text(t.id, t.value), t.shown);
        double back = -999.0;
        ASSERT_TRUE(plugin.params->text_to_value(plugin.plugin, t.id, t.shown, &back));
        EXPECT_EQ(plugin.text(t.id, back), t.shown);
    }
    double v = 0.0;
    EXPECT_TRUE(plugin.params->text_to_value(plugin.plugin, 0, "-inf", &v));
    EXPECT_EQ(v, -60.0);
    EXPECT_FALSE(plugin.params->text_to_value(plugin.plugin, 1, "loud", &v));
    EXPECT_FALSE(plugin.params->text_to_value(plugin.plugin, 9, "1", &v));
    EXPECT_EQ(plugin.text(9, 1.0), "(refused)");
    EXPECT_EQ(plugin.text(1, NAN), "(refused)");
    // A short buffer gets what fits, NUL-terminated, and a false.
    char small[4] = "xyz";
    EXPECT_FALSE(plugin.params->value_to_text(plugin.plugin, 0, -60.0, small, sizeof small));
    EXPECT_STREQ(small, "-oo");
}

TEST_F(Clap, FlushAppliesChangesWhileInactiveAndTheHostReadsBackWhatItSet)
{
    InputEvents in;
    OutputEvents out;
    in.value(0, 2, 80.0);
    in.value(0, 0, -3.5);
    in.value(0, 4, 7.0);
    in.value(0, 1, 250.0); // beyond the range: clamps
    in.value(0, 3, NAN);   // ignored
    in.value(0, 42, 1.0);  // no such parameter
    clap_event_param_gesture gesture{{sizeof gesture, 0, 0, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0}, 5};
    in.add(&gesture.header);
    plugin.flush(in, out);
    EXPECT_EQ(plugin.value(2), 80.0);
    EXPECT_EQ(plugin.value(0), -3.5);
    EXPECT_EQ(plugin.value(4), 7.0);
    EXPECT_EQ(plugin.value(1), 100.0);
    EXPECT_EQ(plugin.value(3), 25.0);
    EXPECT_EQ(plugin.text(0, plugin.value(0)), "-3.5dB");
    EXPECT_TRUE(out.events.empty());
}

// ---- Sound ----

struct Change
{
    uint32_t frame;
    clap_id id;
    double value;
};

// Changes at even frames only, so the VST 2.4 plug-in, cut at the same frames, sees blocks of
// even length.
const std::vector<Change> kChanges = {
    {0, 2, 70.0},     {0, 6, 40.0},     {500, 5, 50.0},    {512, 4, 5.0},
    {1000, 1, 60.0},  {1000, 1, 80.0}, // two values at one frame: the second holds
    {3000, 7, 1.0},   {3300, 3, 80.0},  {4096, 7, 0.0},    {5000, 0, -6.0},
    {6144, 4, -12.0}, {7002, 6, 100.0}, {9000, 5, -100.0}, {11000, 2, 95.0},
};
constexpr uint32_t kFrames = 12288;

std::vector<float> testSignal(uint32_t frames, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> s(frames);
    for (uint32_t i = 0; i < frames; ++i)
        s[i] = (i / 2000) % 2 == 0 ? noise(random) : 0.0f; // bursts and silence
    return s;
}

struct Stereo
{
    std::vector<float> left, right;
    bool operator==(const Stereo& o) const
    {
        return left.size() == o.left.size() &&
               std::memcmp(left.data(), o.left.data(), left.size() * sizeof(float)) == 0 &&
               std::memcmp(right.data(), o.right.data(), right.size() * sizeof(float)) == 0;
    }
};

// The CLAP plug-in in blocks of the given sizes (repeated), with the changes as events at their
// offsets; in place when asked.
Stereo renderClap(const std::vector<uint32_t>& blockSizes, bool inPlace, uint32_t maxFrames = 4096)
{
    ClapLibrary library(ORV_CLAP_PATH);
    TestHost host;
    Plugin plugin(library, host);
    EXPECT_TRUE(plugin.activate(kRate, maxFrames));
    Stereo in{testSignal(kFrames, 1), testSignal(kFrames, 2)};
    Stereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    if (inPlace) out = in;
    size_t next = 0;
    for (uint32_t start = 0, b = 0; start < kFrames; ++b)
    {
        const uint32_t n = std::min(blockSizes[b % blockSizes.size()], kFrames - start);
        InputEvents events;
        OutputEvents pushed;
        for (; next < kChanges.size() && kChanges[next].frame < start + n; ++next)
            events.value(kChanges[next].frame - start, kChanges[next].id, kChanges[next].value);
        float* inputs[2] = {in.left.data() + start, in.right.data() + start};
        float* outputs[2] = {out.left.data() + start, out.right.data() + start};
        if (inPlace) std::copy(outputs, outputs + 2, inputs);
        EXPECT_EQ(plugin.process(inputs, outputs, n, events, pushed), CLAP_PROCESS_CONTINUE);
        EXPECT_EQ(plugin.lastConstantMask, 0u);
        start += n;
    }
    return out;
}

// The VST 2.4 plug-in through its entry point, cut at the changes' frames.
Stereo renderVst()
{
    RecordingHost host;
    LoadedPlugin vst(host);
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    vst.dispatch(effSetBlockSize, 0, 4096);
    vst.dispatch(effMainsChanged, 0, 1);
    Stereo in{testSignal(kFrames, 1), testSignal(kFrames, 2)};
    Stereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    uint32_t position = 0;
    auto runTo = [&](uint32_t frame)
    {
        if (frame <= position) return;
        float* inputs[2] = {in.left.data() + position, in.right.data() + position};
        float* outputs[2] = {out.left.data() + position, out.right.data() + position};
        vst.effect()->processReplacing(vst.effect(), inputs, outputs,
                                       static_cast<VstInt32>(frame - position));
        position = frame;
    };
    for (const Change& c : kChanges)
    {
        runTo(c.frame);
        const auto k = static_cast<int32_t>(c.id);
        vst.setParameter(k, toNormalized(k, static_cast<float>(c.value)));
    }
    runTo(kFrames);
    return out;
}

TEST(ClapRender, EqualsTheVstPluginBitForBitWithEventsAtTheirOffsets)
{
    const Stereo vst = renderVst();
    // Not silence, and the changes are heard: a render without them differs.
    EXPECT_GT(*std::max_element(vst.left.begin(), vst.left.end()), 0.05f);
    EXPECT_TRUE(renderClap({256}, false) == vst);
    EXPECT_TRUE(renderClap({4096}, false) == vst);
    EXPECT_TRUE(renderClap({64, 2, 1024, 30}, false) == vst);
}

TEST(ClapRender, InPlaceAndOddBlockCutsGiveTheSameOutput)
{
    const Stereo reference = renderClap({512}, false);
    EXPECT_TRUE(renderClap({512}, true) == reference);
    EXPECT_TRUE(renderClap({1, 37, 255, 4096, 3}, false) == reference);
    EXPECT_TRUE(renderClap({333, 1, 4095}, true) == reference);
    // One block larger than the input copy: processed in place piece by piece, the changes
    // landing in the right pieces.
    EXPECT_TRUE(renderClap({kFrames}, true, kFrames) == reference);
}

TEST_F(Clap, ProcessWithoutAudioOrEventsStillAppliesAndRestarts)
{
    ASSERT_TRUE(plugin.activate(44100.0, 512));
    InputEvents events;
    OutputEvents pushed;
    events.value(100, 2, 60.0);
    clap_process p{};
    p.frames_count = 256;
    p.in_events = events.list();
    p.out_events = pushed.list();
    EXPECT_EQ(plugin.plugin->process(plugin.plugin, &p), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(plugin.value(2), 60.0);
    plugin.plugin->reset(plugin.plugin);
    plugin.deactivate();
    // Activation at another rate, and refused nonsense.
    EXPECT_FALSE(plugin.plugin->activate(plugin.plugin, 0.0, 1, 512));
    EXPECT_FALSE(plugin.plugin->activate(plugin.plugin, 48000.0, 1, 0));
    EXPECT_TRUE(plugin.activate(96000.0, 64));
}

// ---- State ----

TEST_F(Clap, StateRoundTripsThroughShortReadsAndWrites)
{
    InputEvents in;
    OutputEvents out;
    in.value(0, 2, 80.0);
    in.value(0, 4, -12.0);
    in.value(0, 7, 1.0);
    plugin.flush(in, out);
    const std::vector<uint8_t> whole = plugin.saved();
    ASSERT_EQ(whole.size(), 368u);
    // One byte per write gives the same bytes.
    EXPECT_EQ(plugin.saved(1), whole);

    for (size_t step : {size_t(1), size_t(7), size_t(368), size_t(4096)})
    {
        SCOPED_TRACE(step);
        TestHost otherHost;
        Plugin other(library, otherHost);
        // Loaded into an instance never activated, it shows at once.
        ASSERT_TRUE(other.load(whole, step));
        EXPECT_EQ(other.value(2), 80.0);
        EXPECT_EQ(other.value(4), -12.0);
        EXPECT_EQ(other.value(7), 1.0);
        EXPECT_EQ(other.saved(), whole);
        // The host hears that the values changed, at its next main-thread callback (not from
        // inside its own load call), but not that the state it just loaded is dirty.
        EXPECT_TRUE(otherHost.rescans.empty());
        EXPECT_GE(otherHost.callbackRequests.load(), 1);
        other.plugin->on_main_thread(other.plugin);
        EXPECT_EQ(otherHost.rescans, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
        EXPECT_EQ(otherHost.markDirty, 0);
    }
}

TEST_F(Clap, DamagedStateIsRefusedAndChangesNothing)
{
    InputEvents in;
    OutputEvents out;
    in.value(0, 3, 90.0);
    plugin.flush(in, out);
    const std::vector<uint8_t> before = plugin.saved();
    ASSERT_EQ(before.size(), 368u);

    const std::vector<uint8_t>& good = before; // a state of this plug-in, damaged below
    struct Damage
    {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t failAt;
    };
    std::vector<Damage> damages = {
        {"empty", {}, SIZE_MAX},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1), SIZE_MAX},
        {"one byte more", good, SIZE_MAX},
        {"read error half way", good, 184},
        {"all 0xFF", std::vector<uint8_t>(368, 0xFF), SIZE_MAX},
    };
    damages[2].bytes.push_back(0);
    for (const Damage& d : damages)
    {
        SCOPED_TRACE(d.what);
        Stream s;
        s.bytes = d.bytes;
        s.step = 5;
        s.failAt = d.failAt;
        EXPECT_FALSE(plugin.state->load(plugin.plugin, &s.in));
        EXPECT_EQ(plugin.saved(), before);
        EXPECT_EQ(plugin.value(3), 90.0);
    }
    // Saving into a stream that fails or takes nothing reports the failure.
    Stream failing;
    failing.failAt = 100;
    failing.step = 10;
    EXPECT_FALSE(plugin.state->save(plugin.plugin, &failing.out));
    Stream stuck;
    stuck.zeroWrites = true;
    EXPECT_FALSE(plugin.state->save(plugin.plugin, &stuck.out));
}

// ---- Presets ----

struct Listing
{
    std::vector<clap_preset_discovery_location> locations;
    std::vector<std::pair<std::string, std::string>> presets; // name, load key
    std::vector<std::string> pluginIds;
    std::vector<uint32_t> flags;
    size_t stopAfter = SIZE_MAX; // begin_preset answers false from then on
};

TEST(ClapPresets, DiscoveryListsTheFactoryProgramsAndLoadingOneSelectsIt)
{
    ClapLibrary library(ORV_CLAP_PATH);
    ASSERT_NE(library.entry, nullptr) << library.error;
    for (const char* id :
         {"clap.preset-discovery-factory/2", "clap.preset-discovery-factory/draft-2"})
    {
        SCOPED_TRACE(id);
        const auto* factory =
            static_cast<const clap_preset_discovery_factory*>(library.entry->get_factory(id));
        ASSERT_NE(factory, nullptr);
        ASSERT_EQ(factory->count(factory), 1u);
        const clap_preset_discovery_provider_descriptor* d = factory->get_descriptor(factory, 0);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);

        for (size_t stopAfter : {SIZE_MAX, size_t(3)})
        {
            Listing listing;
            listing.stopAfter = stopAfter;
            clap_preset_discovery_indexer indexer{};
            indexer.version = CLAP_VERSION_VALUE;
            indexer.name = "test";
            indexer.indexer_data = &listing;
            indexer.declare_location =
                [](const clap_preset_discovery_indexer* i, const clap_preset_discovery_location* l)
            {
                static_cast<Listing*>(i->indexer_data)->locations.push_back(*l);
                return true;
            };
            EXPECT_EQ(factory->create(factory, &indexer, "no.such.provider"), nullptr);
            const clap_preset_discovery_provider* provider =
                factory->create(factory, &indexer, d->id);
            ASSERT_NE(provider, nullptr);
            ASSERT_TRUE(provider->init(provider));
            ASSERT_EQ(listing.locations.size(), 1u);
            EXPECT_EQ(listing.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
            EXPECT_EQ(listing.locations[0].location, nullptr);
            EXPECT_EQ(listing.locations[0].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);

            clap_preset_discovery_metadata_receiver receiver{};
            receiver.receiver_data = &listing;
            receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver* r,
                                       const char* name, const char* key)
            {
                auto* l = static_cast<Listing*>(r->receiver_data);
                if (l->presets.size() >= l->stopAfter) return false;
                l->presets.emplace_back(name, key);
                return true;
            };
            receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver* r,
                                        const clap_universal_plugin_id* p)
            {
                static_cast<Listing*>(r->receiver_data)
                    ->pluginIds.push_back(std::string(p->abi) + ":" + p->id);
            };
            receiver.set_flags = [](const clap_preset_discovery_metadata_receiver* r, uint32_t f)
            { static_cast<Listing*>(r->receiver_data)->flags.push_back(f); };
            EXPECT_FALSE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                                "/tmp/x", &receiver));
            ASSERT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                               nullptr, &receiver));
            const size_t listed = std::min(stopAfter, kFactoryPrograms.size());
            ASSERT_EQ(listing.presets.size(), listed);
            for (size_t i = 0; i < listed; ++i)
            {
                EXPECT_EQ(listing.presets[i].first, kFactoryPrograms[i].name);
                EXPECT_EQ(listing.presets[i].second, std::to_string(i));
            }
            EXPECT_EQ(listing.pluginIds,
                      std::vector<std::string>(listed, "clap:com.orvatone.orv-sympharon"));
            EXPECT_EQ(listing.flags,
                      std::vector<uint32_t>(listed, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT));
            provider->destroy(provider);
        }
    }

    TestHost host;
    Plugin plugin(library, host);
    const auto* load = plugin.ext<clap_plugin_preset_load>("clap.preset-load/2");
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(plugin.ext<clap_plugin_preset_load>("clap.preset-load.draft/2"), load);
    // "Low & Dark": Decay 60 %, Damp 75 %, an octave down. The host reads the values the editor
    // shows (the program's 0.6 converts to 60.0000038 %, which stands for the same setting).
    EXPECT_TRUE(
        load->from_location(plugin.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "3"));
    EXPECT_EQ(plugin.value(kDecay), 60.0);
    EXPECT_EQ(plugin.value(kDamp), 75.0);
    EXPECT_EQ(plugin.value(kTranspose), -12.0);
    EXPECT_EQ(host.presetsLoaded, std::vector<std::string>{"3"});
    const auto before = plugin.saved();
    for (const char* key : {"6", "-1", "", "03"})
        EXPECT_FALSE(load->from_location(plugin.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                         nullptr, key));
    EXPECT_FALSE(
        load->from_location(plugin.plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/3", "3"));
    EXPECT_EQ(host.presetErrors.size(), 5u);
    EXPECT_EQ(plugin.saved(), before);
    EXPECT_EQ(host.threadFaults(), std::vector<std::string>{});
}

// ---- Tail and threads ----

TEST_F(Clap, TailFollowsDecay)
{
    ASSERT_TRUE(plugin.activate(kRate, 512));
    auto tailAt = [&](double decay)
    {
        InputEvents in;
        OutputEvents out;
        in.value(0, 2, decay);
        float l[16] = {}, r[16] = {};
        float* io[2] = {l, r};
        plugin.process(io, io, 16, in, out);
        return plugin.tail->get(plugin.plugin);
    };
    const uint32_t short_ = tailAt(10.0);
    const uint32_t medium = tailAt(50.0);
    const uint32_t longest = tailAt(100.0);
    EXPECT_GT(short_, 0u);
    EXPECT_LT(short_, medium);
    EXPECT_LE(medium, longest);
    EXPECT_LE(longest, static_cast<uint32_t>(INT32_MAX));
}

// Processing on an audio thread while the main thread reads values, texts and state: no host
// function is called from the wrong thread, and the host's view stays whole.
TEST_F(Clap, AudioThreadAndMainThreadTogether)
{
    ASSERT_TRUE(plugin.activate(kRate, 256));
    std::atomic<bool> stop{false};
    std::thread audio(
        [&]
        {
            host.audioThread.store(std::this_thread::get_id());
            std::vector<float> l(256), r(256);
            float* io[2] = {l.data(), r.data()};
            for (int block = 0; !stop.load(); ++block)
            {
                InputEvents in;
                OutputEvents out;
                in.value(static_cast<uint32_t>(block % 256), 2, block % 100);
                plugin.process(io, io, 256, in, out);
            }
        });
    for (int i = 0; i < 300; ++i)
    {
        const double decay = plugin.value(2);
        EXPECT_TRUE(decay >= 0.0 && decay <= 100.0);
        EXPECT_NE(plugin.text(2, decay), "(refused)");
        EXPECT_EQ(plugin.saved().size(), 368u);
    }
    stop.store(true);
    audio.join();
}

} // namespace
