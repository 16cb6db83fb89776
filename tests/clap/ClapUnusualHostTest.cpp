// The built OrvSympharon.clap driven as an unusual or careless host would: null pointers and
// tiny buffers where the format allows them, values and texts that are no value, events out of
// order, beyond the block, for unknown parameters or of other kinds, audio buses of other shapes,
// activation at rates the effect cannot take, streams that answer oddly, the editor used out of
// order, and many instances. Each case states what a host may rely on afterwards.
#include "ClapTestHost.h"
#include "effect/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

namespace
{
using namespace claptest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ClapLibrary& library()
{
    static ClapLibrary lib{ORV_CLAP_PATH};
    return lib;
}

bool allFinite(const std::vector<float>& samples)
{
    for (float s : samples)
        if (!std::isfinite(s)) return false;
    return true;
}

std::vector<float> tone(uint32_t frames, float step)
{
    std::vector<float> s(frames);
    for (uint32_t n = 0; n < frames; ++n)
        s[n] = 0.4f * std::sin(step * static_cast<float>(n));
    return s;
}

struct Case
{
    const char* what;
    std::function<void(Plugin&, TestHost&)> run;
};

const Case kCases[] = {
    {"texts into buffers of no, one or a few bytes stay inside them",
     [](Plugin& p, TestHost&)
     {
         for (clap_id id = 0; id < 8; ++id)
         {
             SCOPED_TRACE(id);
             char text[16];
             std::memset(text, '#', sizeof text);
             EXPECT_FALSE(p.params->value_to_text(p.plugin, id, 0.0, text, 0));
             EXPECT_EQ('#', text[0]);
             EXPECT_FALSE(p.params->value_to_text(p.plugin, id, 0.0, nullptr, 16));
             for (uint32_t size : {1u, 2u, 4u})
             {
                 std::memset(text, '#', sizeof text);
                 p.params->value_to_text(p.plugin, id, 0.0, text, size);
                 EXPECT_LT(std::strlen(text), size);
                 EXPECT_EQ('#', text[size]);
             }
         }
     }},
    {"values and texts that are no value are refused; values beyond the range show its ends",
     [](Plugin& p, TestHost&)
     {
         for (clap_id id = 0; id < 8; ++id)
         {
             SCOPED_TRACE(id);
             clap_param_info info{};
             ASSERT_TRUE(p.params->get_info(p.plugin, id, &info));
             EXPECT_EQ("(refused)", p.text(id, kNaN));
             EXPECT_EQ(p.text(id, info.max_value), p.text(id, kInf));
             EXPECT_EQ(p.text(id, info.min_value), p.text(id, -kInf));
             EXPECT_EQ(p.text(id, info.max_value), p.text(id, info.max_value + 1e9));
             for (const char* garbage :
                  {"", " ", "nan", "NaN dB", "inf", "-", "+", ".", "1e999", "0x10", "#", "b",
                   "99999999999999999999999999999999999999999999999999", "12 apples"})
             {
                 double value = -12345.0;
                 if (p.params->text_to_value(p.plugin, id, garbage, &value))
                 {
                     EXPECT_GE(value, info.min_value) << garbage;
                     EXPECT_LE(value, info.max_value) << garbage;
                 }
             }
             double value = 0.0;
             EXPECT_FALSE(p.params->text_to_value(p.plugin, id, nullptr, &value));
             EXPECT_FALSE(p.params->text_to_value(p.plugin, id, "50", nullptr));
         }
         clap_param_info info{};
         EXPECT_FALSE(p.params->get_info(p.plugin, 8, &info));
         EXPECT_FALSE(p.params->get_info(p.plugin, UINT32_MAX, &info));
         EXPECT_FALSE(p.params->get_info(p.plugin, 0, nullptr));
         double value = 0.0;
         EXPECT_FALSE(p.params->get_value(p.plugin, 8, &value));
         EXPECT_FALSE(p.params->get_value(p.plugin, 0, nullptr));
         EXPECT_EQ("(refused)", p.text(8, 0.0));
         EXPECT_FALSE(p.params->text_to_value(p.plugin, 8, "1", &value));
     }},
    {"events out of order, beyond the block, unknown or of other kinds apply what they can",
     [](Plugin& p, TestHost&)
     {
         ASSERT_TRUE(p.activate(48000.0, 256));
         InputEvents in;
         in.value(200, kDecay, 10.0);
         in.value(10, kDecay, 90.0); // earlier, given later
         in.value(100000, kDamp, 40.0);
         in.value(0, kMix, kNaN);
         in.value(0, kDetune, kInf);
         in.value(0, kTune, -kInf);
         in.value(0, 8, 1.0);
         in.value(0, UINT32_MAX, 1.0);
         clap_event_param_value other{};
         other.header = {sizeof other, 0, 1234, CLAP_EVENT_PARAM_VALUE, 0};
         other.param_id = kOutput;
         other.value = -60.0;
         in.add(&other.header); // another event space
         clap_event_header tiny{sizeof tiny, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE,
                                0};
         in.add(&tiny);                // too small to be a value event
         clap_event_param_value mod{}; // a modulation has the same layout, an amount for value
         mod.header = {sizeof mod, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_MOD, 0};
         mod.param_id = kOutput;
         mod.value = 100.0;
         in.add(&mod.header);
         const double mixBefore = p.value(kMix);
         const double outputBefore = p.value(kOutput);
         std::vector<float> l = tone(256, 0.02f), r = tone(256, 0.03f);
         float* io[2] = {l.data(), r.data()};
         OutputEvents out;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.process(io, io, 256, in, out));
         EXPECT_TRUE(allFinite(l) && allFinite(r));
         EXPECT_EQ(10.0, p.value(kDecay)); // the later offset wins
         EXPECT_EQ(40.0, p.value(kDamp));
         EXPECT_EQ(mixBefore, p.value(kMix));
         EXPECT_EQ(100.0, p.value(kDetune));
         EXPECT_EQ(-100.0, p.value(kTune));
         EXPECT_EQ(outputBefore, p.value(kOutput));
         // The same list through flush, inactive and with no lists at all.
         p.deactivate();
         p.params->flush(p.plugin, in.list(), out.list());
         p.params->flush(p.plugin, nullptr, nullptr);
         EXPECT_EQ(90.0, p.value(kDecay)); // without time, the list's order decides
     }},
    {"audio buses of other shapes, no audio and no events are processed safely",
     [](Plugin& p, TestHost&)
     {
         ASSERT_TRUE(p.activate(44100.0, 512));
         std::vector<float> l = tone(512, 0.02f), r = tone(512, 0.03f);
         std::vector<float> a(512, 7.0f), b(512, 7.0f);
         float* in[2] = {l.data(), r.data()};
         float* out[2] = {a.data(), b.data()};
         clap_audio_buffer input{in, nullptr, 2, 0, 0};
         clap_audio_buffer output{out, nullptr, 2, 0, 0};
         clap_process proc{};
         proc.frames_count = 512;
         // No buses at all, no event lists.
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         // Counts without buses.
         proc.audio_inputs_count = 1;
         proc.audio_outputs_count = 1;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         // One channel in, stereo out: the output is the effect's, from silence.
         clap_audio_buffer mono{in, nullptr, 1, 0, 0};
         proc.audio_inputs = &mono;
         proc.audio_outputs = &output;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         EXPECT_TRUE(allFinite(a) && allFinite(b));
         // 64-bit buffers only.
         double* wide[2] = {nullptr, nullptr};
         clap_audio_buffer wideIn{nullptr, wide, 2, 0, 0};
         proc.audio_inputs = &wideIn;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         // No frames with null buffers.
         float* none[2] = {nullptr, nullptr};
         clap_audio_buffer empty{none, nullptr, 2, 0, 0};
         proc.audio_inputs = &empty;
         proc.audio_outputs = &empty;
         proc.frames_count = 0;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         proc.audio_inputs = &input;
         proc.audio_outputs = &output;
         proc.frames_count = 512;
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
         EXPECT_TRUE(allFinite(a) && allFinite(b));
         EXPECT_EQ(CLAP_PROCESS_ERROR, p.plugin->process(p.plugin, nullptr));
         p.plugin->reset(p.plugin);
         EXPECT_EQ(CLAP_PROCESS_CONTINUE, p.plugin->process(p.plugin, &proc));
     }},
    {"activation at rates the effect cannot take is refused; far rates still sound",
     [](Plugin& p, TestHost&)
     {
         for (double rate : {0.0, -48000.0, kNaN, kInf, 1e300})
             EXPECT_FALSE(p.plugin->activate(p.plugin, rate, 1, 512)) << rate;
         EXPECT_FALSE(p.plugin->activate(p.plugin, 48000.0, 1, 0));
         for (double rate : {1e-30, 1.0, 8000.0, 768000.0, 4000000.0, 1e30})
         {
             ASSERT_TRUE(p.activate(rate, 512)) << rate;
             std::vector<float> l = tone(512, 0.02f), r = tone(512, 0.03f);
             float* io[2] = {l.data(), r.data()};
             InputEvents in;
             OutputEvents out;
             p.process(io, io, 512, in, out);
             EXPECT_TRUE(allFinite(l) && allFinite(r)) << rate;
             EXPECT_GT(p.tail->get(p.plugin), 0u) << rate;
             p.deactivate();
         }
     }},
    {"streams that give or take more than asked, or too much, are refused and change nothing",
     [](Plugin& p, TestHost&)
     {
         const std::vector<uint8_t> before = p.saved();
         ASSERT_EQ(368u, before.size());
         struct Odd
         {
             int64_t answer;
         } odd{};
         clap_istream greedyIn{&odd, [](const clap_istream* s, void*, uint64_t size) -> int64_t {
                                   return static_cast<int64_t>(size) +
                                          static_cast<Odd*>(s->ctx)->answer;
                               }};
         clap_ostream greedyOut{
             &odd, [](const clap_ostream* s, const void*, uint64_t size) -> int64_t {
                 return static_cast<int64_t>(size) + static_cast<Odd*>(s->ctx)->answer;
             }};
         odd.answer = 1;
         EXPECT_FALSE(p.state->load(p.plugin, &greedyIn));
         EXPECT_FALSE(p.state->save(p.plugin, &greedyOut));
         clap_istream noRead{nullptr, nullptr};
         clap_ostream noWrite{nullptr, nullptr};
         EXPECT_FALSE(p.state->load(p.plugin, &noRead));
         EXPECT_FALSE(p.state->save(p.plugin, &noWrite));
         EXPECT_FALSE(p.state->load(p.plugin, nullptr));
         EXPECT_FALSE(p.state->save(p.plugin, nullptr));
         std::vector<uint8_t> longer(before);
         longer.resize(4096, 0);
         EXPECT_FALSE(p.load(longer, 100));
         EXPECT_EQ(before, p.saved());
     }},
    {"the editor used out of order refuses and stays safe",
     [](Plugin& p, TestHost& host)
     {
         uint32_t w = 0, h = 0;
         EXPECT_FALSE(p.gui->get_size(p.plugin, &w, &h));
         EXPECT_FALSE(p.gui->is_api_supported(p.plugin, nullptr, false));
         EXPECT_FALSE(p.gui->is_api_supported(p.plugin, "cocoa", false));
         EXPECT_FALSE(p.gui->create(p.plugin, nullptr, false));
         EXPECT_FALSE(p.gui->create(p.plugin, "cocoa", false));
         const char* api = nullptr;
         bool floating = true;
         ASSERT_TRUE(p.gui->get_preferred_api(p.plugin, &api, &floating));
         EXPECT_FALSE(p.gui->get_preferred_api(p.plugin, nullptr, &floating));
         EXPECT_FALSE(p.gui->create(p.plugin, api, true));
         p.gui->destroy(p.plugin); // never created
         clap_window window{api, {nullptr}};
         EXPECT_FALSE(p.gui->set_parent(p.plugin, &window)); // not created
         EXPECT_FALSE(p.gui->set_parent(p.plugin, nullptr));
         ASSERT_TRUE(p.gui->create(p.plugin, api, false));
         EXPECT_TRUE(p.gui->create(p.plugin, api, false));   // again
         EXPECT_FALSE(p.gui->set_parent(p.plugin, &window)); // no window
         clap_window other{"cocoa", {nullptr}};
         EXPECT_FALSE(p.gui->set_parent(p.plugin, &other));
         EXPECT_FALSE(p.gui->get_size(p.plugin, nullptr, &h));
         EXPECT_TRUE(p.gui->get_size(p.plugin, &w, &h));
         EXPECT_EQ(320u, w);
         for (double scale : {0.0, -1.0, kNaN, kInf})
             EXPECT_FALSE(p.gui->set_scale(p.plugin, scale)) << scale;
         EXPECT_FALSE(p.gui->set_size(p.plugin, w + 1, h));
         if (p.timer) p.timer->on_timer(p.plugin, 12345);
         if (p.fd) p.fd->on_fd(p.plugin, 12345, 0);
         p.gui->destroy(p.plugin);
         p.gui->destroy(p.plugin); // again
         EXPECT_TRUE(host.timers.empty());
         EXPECT_TRUE(host.fds.empty());
     }},
    {"unknown extensions and factories are none; many instances live side by side",
     [](Plugin& p, TestHost& host)
     {
         EXPECT_EQ(nullptr, p.plugin->get_extension(p.plugin, nullptr));
         EXPECT_EQ(nullptr, p.plugin->get_extension(p.plugin, ""));
         EXPECT_EQ(nullptr, p.plugin->get_extension(p.plugin, "clap.params.draft/0"));
         EXPECT_EQ(nullptr, library().entry->get_factory(nullptr));
         const clap_plugin_factory* f = library().factory();
         EXPECT_EQ(nullptr, f->create_plugin(f, host.host(), nullptr));
         EXPECT_EQ(nullptr, f->get_plugin_descriptor(f, UINT32_MAX));
         clap_host old = *host.host();
         old.version = {0, 9, 0};
         EXPECT_EQ(nullptr, f->create_plugin(f, &old, "com.orvatone.orv-sympharon"));
         // A host without any extension of its own.
         clap_host bare = *host.host();
         bare.get_extension = [](const clap_host*, const char*) -> const void* { return nullptr; };
         bare.request_callback = nullptr;
         const clap_plugin* lone = f->create_plugin(f, &bare, "com.orvatone.orv-sympharon");
         ASSERT_NE(nullptr, lone);
         ASSERT_TRUE(lone->init(lone));
         const auto* gui =
             static_cast<const clap_plugin_gui*>(lone->get_extension(lone, "clap.gui"));
         const char* api = nullptr;
         bool floating = false;
         ASSERT_TRUE(gui && gui->get_preferred_api(lone, &api, &floating));
         gui->create(lone, api, false); // may refuse without the host's timer
         gui->destroy(lone);
         lone->destroy(lone);
         std::vector<std::unique_ptr<Plugin>> many;
         for (int i = 0; i < 32; ++i)
         {
             many.push_back(std::make_unique<Plugin>(library(), host));
             ASSERT_NE(nullptr, many.back()->plugin);
             ASSERT_TRUE(many.back()->activate(48000.0, 64));
         }
     }},
};

TEST(ClapUnusualHost, EveryCaseLeavesThePluginSafeAndConsistent)
{
    ASSERT_NE(nullptr, library().entry) << library().error;
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.what);
        TestHost host;
        Plugin plugin(library(), host);
        ASSERT_NE(nullptr, plugin.plugin);
        ASSERT_NE(nullptr, plugin.params);
        c.run(plugin, host);
        EXPECT_EQ(host.threadFaults(), std::vector<std::string>{});
    }
}

} // namespace
