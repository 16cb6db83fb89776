// The built plug-in against a hostile host, tried from outside as a validator tries it: every
// opcode with null and garbage arguments, sample rates and block sizes far from the usual, many
// instances at once, suspend and resume storms, state round trips, damaged chunks and non-finite
// input. Also run under the address and undefined-behaviour sanitizers, which turn any stray
// access into a failure.
#include "EngineTestSupport.h"
#include "StressTestSupport.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
using namespace stress;
using enginetest::makeSignal;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// What a host can read back of an instance: its chunk and its eight parameters, bit for bit.
struct State
{
    Bytes chunk;
    std::array<uint32_t, 8> parameters{};
    bool operator==(const State&) const = default;
};

State stateOf(const LoadedPlugin& plugin)
{
    State s{plugin.chunk(), {}};
    for (int k = 0; k < 8; ++k)
        s.parameters[static_cast<size_t>(k)] = std::bit_cast<uint32_t>(plugin.getParameter(k));
    return s;
}

VstIntPtr load(const LoadedPlugin& plugin, Bytes chunk)
{
    return loadChunk(plugin.effect(), std::move(chunk));
}

// Runs `frames` samples through the effect, separately or in place, and answers whether every
// output sample is finite.
bool processFinite(const LoadedPlugin& plugin, std::vector<float> left, std::vector<float> right,
                   bool inPlace, std::vector<float>* keep = nullptr)
{
    const size_t frames = left.size();
    std::vector<float> outL(frames, 7.0f), outR(frames, 7.0f);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {inPlace ? left.data() : outL.data(), inPlace ? right.data() : outR.data()};
    plugin.effect()->processReplacing(plugin.effect(), in, out, static_cast<VstInt32>(frames));
    bool finite = true;
    for (size_t i = 0; i < frames; ++i)
        finite = finite && std::isfinite(out[0][i]) && std::isfinite(out[1][i]);
    if (keep) keep->assign(out[0], out[0] + frames);
    return finite;
}

// The saved state of `plugin`, loaded into another instance (as a host reloads a session) and
// saved again, is the same state.
void expectSurvivesSaveAndReload(const LoadedPlugin& plugin, const LoadedPlugin& other)
{
    const State saved = stateOf(plugin);
    ASSERT_EQ(load(other, saved.chunk), 0);
    EXPECT_EQ(stateOf(other), saved);
    // What the host reads is what the saved current program holds.
    const int32_t current = currentOf(saved.chunk);
    ASSERT_GE(current, 0);
    ASSERT_LT(current, 6);
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(sameBits(storedValue(saved.chunk, current, k), plugin.getParameter(k)))
            << "parameter " << k;
}
} // namespace

TEST(HostileHost, EveryOpcodeWithNullAndGarbageArguments)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    std::array<float, 8> parameters;
    for (int k = 0; k < 8; ++k)
        parameters[static_cast<size_t>(k)] = plugin.getParameter(k);

    // Large buffers, so that every request that writes or reads through ptr stays inside:
    // zeros, and bytes without any sense (ending in a terminator for the text requests).
    Bytes zeroed(1 << 16, 0), garbage(1 << 16);
    std::mt19937 random(11);
    for (auto& b : garbage)
        b = static_cast<unsigned char>(random());
    garbage.back() = 0;
    void* const pointers[] = {nullptr, zeroed.data(), garbage.data()};
    const VstInt32 indices[] = {0, 7, 8, -1, INT32_MIN, INT32_MAX};
    const VstIntPtr values[] = {0, 1, -1, 368, INTPTR_MAX, INTPTR_MIN};
    const float opts[] = {0.0f, 1.0f, kNaN, -kInf, -1e30f};

    int calls = 0;
    for (VstInt32 opcode = 0; opcode <= 80; ++opcode)
    {
        if (opcode == effClose) continue; // ends the instance; tried last
        if (opcode == effEditOpen)
        {
            // Window handles that are no window (no window system here): each try may build
            // part of the editor, so each kind of pointer is tried once.
            for (void* ptr : pointers)
            {
                plugin.dispatch(opcode, 0, 0, ptr);
                plugin.dispatch(effEditIdle);
                plugin.dispatch(effEditClose);
            }
            continue;
        }
        for (void* ptr : pointers)
            for (VstInt32 index : indices)
                for (VstIntPtr value : values)
                    for (float opt : opts)
                    {
                        VstIntPtr v = value;
                        // These two take pointers in value as well, which the plug-in trusts
                        // as the ABI lets it: give them real ones.
                        if (opcode == effGetSpeakerArrangement ||
                            opcode == effSetSpeakerArrangement)
                            v = ptr ? reinterpret_cast<VstIntPtr>(static_cast<unsigned char*>(ptr) +
                                                                  4096)
                                    : 0;
                        plugin.dispatch(opcode, index, v, ptr, opt);
                        ++calls;
                    }
        // The instance still processes once the host is sane again.
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        plugin.dispatch(effMainsChanged, 0, 1);
        ASSERT_TRUE(processFinite(plugin, makeSignal(256, 3), makeSignal(256, 4), false))
            << "after opcode " << opcode;
    }
    EXPECT_GT(calls, 40000);
    // None of it set a parameter, and the instance still answers and saves a loadable state.
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(sameBits(plugin.getParameter(k), parameters[static_cast<size_t>(k)])) << k;
    char name[64] = {};
    EXPECT_EQ(plugin.dispatch(effGetEffectName, 0, 0, name), 1);
    EXPECT_STREQ(name, "Orv Sympharon");
    expectSurvivesSaveAndReload(plugin, LoadedPlugin(host));
    EXPECT_EQ(plugin.close(), 1);
}

TEST(HostileHost, SampleRatesBlockSizesAndBufferLayouts)
{
    RecordingHost host;
    const float rates[] = {8000.0f, 11025.0f, 22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f,
                           176400.0f, 192000.0f, 352800.0f, 384000.0f,
                           // and what no host should send
                           0.0f, -44100.0f, 1.0f, 1e-30f, 1e9f, FLT_MAX, kNaN, kInf, -kInf};
    const VstInt32 blockSizes[] = {0, 1, 2, 3, 64, 127, 512, 4096, 16384};
    const std::vector<float> left = makeSignal(16384 + 1, 5, 0.9f);
    const std::vector<float> right = makeSignal(16384 + 1, 6, 0.9f);
    auto first = [](const std::vector<float>& signal, size_t n)
    { return std::vector<float>(signal.begin(), signal.begin() + static_cast<std::ptrdiff_t>(n)); };
    int combinations = 0;
    for (float rate : rates)
    {
        LoadedPlugin plugin(host);
        // A long decay and full mix, so that what the strings do shows in the output.
        plugin.setParameter(2, 0.9f);
        plugin.setParameter(1, 1.0f);
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        plugin.dispatch(effMainsChanged, 0, 1);
        for (VstInt32 size : blockSizes)
        {
            plugin.dispatch(effSetBlockSize, 0, size);
            // A block of the announced size, one in place, and one larger than announced.
            const struct
            {
                VstInt32 frames;
                bool inPlace;
            } blocks[] = {{size, false}, {size, true}, {size + 1, false}};
            for (const auto& b : blocks)
            {
                const auto n = static_cast<size_t>(b.frames);
                EXPECT_TRUE(processFinite(plugin, first(left, n), first(right, n), b.inPlace))
                    << "rate " << rate << ", block " << size << ", frames " << b.frames;
                ++combinations;
            }
        }
        // Back to a usual rate after a suspend, the instance sounds as a new one would.
        plugin.dispatch(effMainsChanged, 0, 0);
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        plugin.dispatch(effMainsChanged, 0, 1);
        std::vector<float> after;
        ASSERT_TRUE(processFinite(plugin, makeSignal(4800, 9), makeSignal(4800, 9), false, &after));
        LoadedPlugin fresh(host);
        fresh.setParameter(2, 0.9f);
        fresh.setParameter(1, 1.0f);
        fresh.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        fresh.dispatch(effMainsChanged, 0, 1);
        std::vector<float> expected;
        processFinite(fresh, makeSignal(4800, 9), makeSignal(4800, 9), false, &expected);
        EXPECT_EQ(after, expected) << "after rate " << rate;
    }
    EXPECT_EQ(combinations, 540);
}

TEST(HostileHost, ManyInstancesKeepTheirOwnState)
{
    RecordingHost host;
    constexpr int kInstances = 200;
    std::vector<std::unique_ptr<LoadedPlugin>> instances;
    auto decayOf = [](int i) { return static_cast<float>(i) / kInstances; };
    for (int i = 0; i < kInstances; ++i)
    {
        instances.push_back(std::make_unique<LoadedPlugin>(host));
        instances.back()->setParameter(2, decayOf(i));
        instances.back()->dispatch(effMainsChanged, 0, 1);
        // Closing every third one early leaves gaps that the next ones may reuse.
        if (i % 3 == 2) instances[static_cast<size_t>(i - 1)].reset();
    }
    for (int i = 0; i < kInstances; ++i)
    {
        const auto& plugin = instances[static_cast<size_t>(i)];
        if (!plugin) continue;
        EXPECT_TRUE(processFinite(*plugin, makeSignal(64, 1), makeSignal(64, 2), i % 2 == 0));
        EXPECT_EQ(plugin->getParameter(2), decayOf(i)) << "instance " << i;
        EXPECT_EQ(storedValue(plugin->chunk(), 0, 2), decayOf(i)) << "instance " << i;
    }
}

TEST(HostileHost, SuspendResumeStormsWhileParametersChange)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    std::mt19937 random(3);
    const float rates[] = {44100.0f, 48000.0f, 8000.0f, 384000.0f};
    const std::vector<float> signal = makeSignal(256, 17, 0.8f);
    for (int i = 0; i < 10000; ++i)
    {
        switch (random() % 4)
        {
        case 0:
            plugin.dispatch(effMainsChanged, 0, static_cast<VstIntPtr>(random() % 2));
            break;
        case 1:
            plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rates[random() % 4]);
            break;
        case 2:
            plugin.setParameter(static_cast<VstInt32>(random() % 8),
                                static_cast<float>(random() % 1001) / 1000.0f);
            break;
        default:
        {
            const auto frames = static_cast<std::ptrdiff_t>(random() % 65);
            ASSERT_TRUE(processFinite(plugin, {signal.begin(), signal.begin() + frames},
                                      {signal.begin(), signal.begin() + frames}, random() % 2))
                << "step " << i;
        }
        }
    }
    expectSurvivesSaveAndReload(plugin, LoadedPlugin(host));
}

TEST(HostileHost, StateRoundTrips)
{
    RecordingHost host;
    LoadedPlugin source(host);
    LoadedPlugin target(host);
    std::mt19937 random(5);
    // Values a host may really store, including ones outside 0..1 and no numbers at all.
    const float odd[] = {-1.0f, 2.0f, kNaN, kInf, -0.0f, 1e-45f, FLT_MAX};
    for (int trial = 0; trial < 4000; ++trial)
    {
        for (int changes = 0; changes < 3; ++changes)
        {
            const auto k = static_cast<VstInt32>(random() % 8);
            const float v = random() % 10 == 0 ? odd[random() % std::size(odd)]
                                               : static_cast<float>(random() % 10001) / 1e4f;
            source.setParameter(k, v);
        }
        if (trial % 50 == 0)
        {
            // A program change inside the plug-in, as its editor makes one: the same chunk with
            // another current program.
            ASSERT_EQ(load(source, withCurrent(source.chunk(), static_cast<int32_t>(random() % 6))),
                      0);
        }
        const State saved = stateOf(source);
        ASSERT_EQ(load(target, saved.chunk), 0) << "trial " << trial;
        ASSERT_EQ(stateOf(target), saved) << "trial " << trial;
    }
}

TEST(HostileHost, DamagedChunksAreRejectedOrSurviveSaveAndReload)
{
    RecordingHost host;
    LoadedPlugin plugin(host), reloaded(host);
    // A distinctive state to damage: program 3 current, renamed, with values of its own.
    Bytes good = withCurrent(plugin.chunk(), 3);
    std::memcpy(good.data() + 32 + 56 * 3, "Damaged soon", 13);
    for (int k = 0; k < 8; ++k)
        putValue(good, 3, k, 0.11f * static_cast<float>(k + 1));

    std::vector<Bytes> damaged;
    for (size_t bit = 0; bit < good.size() * 8; ++bit)
    {
        Bytes c = good;
        c[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        damaged.push_back(c);
    }
    for (int32_t current : {6, -1, 7, 1 << 24, INT32_MIN, INT32_MAX})
        damaged.push_back(withCurrent(good, current));
    for (size_t size : {size_t{0}, size_t{1}, size_t{367}, size_t{369}, size_t{736}})
    {
        Bytes c = good;
        c.resize(size, 0xA5);
        damaged.push_back(c);
    }

    int accepted = 0, rejected = 0;
    for (size_t i = 0; i < damaged.size(); ++i)
    {
        SCOPED_TRACE("damaged chunk " + std::to_string(i));
        ASSERT_EQ(load(plugin, good), 0);
        const State before = stateOf(plugin);
        const VstIntPtr result = load(plugin, damaged[i]);
        if (result == 0)
        {
            ++accepted;
            expectSurvivesSaveAndReload(plugin, reloaded);
        }
        else
        {
            ++rejected;
            EXPECT_EQ(result, -1);
            EXPECT_EQ(stateOf(plugin), before);
        }
        if (HasFailure()) break;
    }
    // Damage to the header is refused; damage to names, values and reserved bytes is loaded.
    EXPECT_GT(accepted, 2500);
    EXPECT_GT(rejected, 100);
}

// A bad sample on both channels: the output is finite again after its block, and the strings
// still ring two seconds later as they ring in an instance that never met one.
TEST(HostileHost, NonFiniteAndHugeSamplesLeaveTheEffectSounding)
{
    struct Setting
    {
        const char* name;
        std::array<float, 8> values; // Output, Mix, Decay, Damp, Transpose, Tune, Detune, Bypass
    };
    const Setting settings[] = {
        {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
        {"long decay, all wet", {0.5f, 1.0f, 0.9f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
        {"loud, transposed up, detuned", {1.0f, 0.6f, 0.6f, 0.05f, 0.75f, 0.0f, 1.0f, 0.0f}},
    };
    const float bad[] = {kNaN, kInf, -kInf, FLT_MAX, 1.8e38f};
    constexpr float kRate = 44100.0f;
    constexpr size_t kBlock = 512;
    // Before: 0.5 s of signal. Then the block with the bad sample, then 1.5 s of signal and 0.5 s
    // of silence in which only the strings sound.
    const std::vector<float> signal = makeSignal(static_cast<size_t>(2.0f * kRate), 23, 0.7f);
    const size_t before = static_cast<size_t>(0.5f * kRate) / kBlock * kBlock;
    const size_t silenceFrom = static_cast<size_t>(2.0f * kRate) / kBlock * kBlock;
    const size_t total = silenceFrom + static_cast<size_t>(0.5f * kRate) / kBlock * kBlock;

    RecordingHost host;
    for (const Setting& setting : settings)
        for (float sample : bad)
        {
            SCOPED_TRACE(std::string(setting.name) + ", sample " + std::to_string(sample));
            LoadedPlugin plugin(host), clean(host);
            std::vector<float> tail, cleanTail;
            for (LoadedPlugin* p : {&plugin, &clean})
            {
                for (int k = 0; k < 8; ++k)
                    p->setParameter(k, setting.values[static_cast<size_t>(k)]);
                p->dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
                p->dispatch(effMainsChanged, 0, 1);
            }
            for (size_t at = 0; at < total; at += kBlock)
            {
                std::vector<float> in(kBlock, 0.0f);
                if (at < silenceFrom)
                    std::copy(signal.begin() + static_cast<std::ptrdiff_t>(at),
                              signal.begin() + static_cast<std::ptrdiff_t>(at + kBlock),
                              in.begin());
                std::vector<float> damaged = in;
                if (at == before) damaged[100] = sample;
                std::vector<float> out, cleanOut;
                const bool finite = processFinite(plugin, damaged, damaged, false, &out);
                processFinite(clean, in, in, false, &cleanOut);
                if (at > before)
                {
                    ASSERT_TRUE(finite) << "block at " << at;
                }
                if (at >= silenceFrom)
                {
                    tail.insert(tail.end(), out.begin(), out.end());
                    cleanTail.insert(cleanTail.end(), cleanOut.begin(), cleanOut.end());
                }
            }
            auto energy = [](const std::vector<float>& x)
            {
                double e = 0.0;
                for (float v : x)
                    e += static_cast<double>(v) * v;
                return e;
            };
            ASSERT_GT(energy(cleanTail), 1e-6);
            EXPECT_GT(energy(tail), 0.1 * energy(cleanTail));
        }
}
