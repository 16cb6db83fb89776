// Engine values written from one thread while another processes. Run under ThreadSanitizer: any
// unsynchronised access between the parameter thread and the audio thread is reported.
#include "EngineTestSupport.h"
#include "effect/ADelay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace
{

using namespace enginetest;

TEST(ResonatorThreads, ParametersChangeWhileProcessing)
{
    CoreDriver d;
    d.apply(kFactoryPrograms[0].values);
    d.core.reset();

    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio(
        [&]
        {
            const std::vector<float> in = makeSignal(256 * 64, 12, 0.8f);
            std::vector<float> l(256), r(256);
            bool finite = true;
            while (!done.load())
            {
                for (size_t pos = 0; pos + 256 <= in.size() && finite; pos += 256)
                {
                    d.core.process(in.data() + pos, in.data() + pos, l.data(), r.data(), 256,
                                   48000.0f);
                    finite = std::isfinite(l[255]) && std::isfinite(r[255]);
                    blocks.fetch_add(1);
                }
            }
            EXPECT_TRUE(finite);
        });

    // Every parameter, Transpose steps included, from this thread while the other processes.
    // The driver's raw values live on this thread only; the core sees engine values.
    uint32_t seed = 1;
    for (int i = 0; i < 3000 || blocks.load() < 200; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const int32_t index = static_cast<int32_t>((seed >> 8) % 8);
        const float value = static_cast<float>((seed >> 12) % 1001) / 1000.0f;
        d.set(index, index == kBypass ? value * 0.6f : value);
        if (i % 50 == 0) d.set(kTranspose, (i / 50) % 2 ? 0.25f : 0.75f);
        if (i % 200 == 0) std::this_thread::yield();
    }
    done.store(true);
    audio.join();
    EXPECT_GE(blocks.load(), 200);
}

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The same through the effect: host automation and program changes on one thread, the host's
// audio thread processing on another.
TEST(ResonatorThreads, EffectParametersChangeWhileProcessing)
{
    ADelay effect(quietHost);
    effect.setSampleRate(44100.0f);
    effect.resume();

    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio(
        [&]
        {
            const std::vector<float> in = makeSignal(128 * 32, 13, 0.8f);
            std::vector<float> l(128), r(128);
            while (!done.load())
            {
                for (size_t pos = 0; pos + 128 <= in.size(); pos += 128)
                {
                    std::copy(in.begin() + pos, in.begin() + pos + 128, l.begin());
                    std::copy(in.begin() + pos, in.begin() + pos + 128, r.begin());
                    float* io[2] = {l.data(), r.data()};
                    effect.processReplacing(io, io, 128);
                    blocks.fetch_add(1);
                }
            }
        });

    for (int i = 0; i < 2000 || blocks.load() < 200; ++i)
    {
        effect.setParameter(i % 8, static_cast<float>(i % 97) / 96.0f);
        if (i % 40 == 0) effect.setParameter(kTranspose, (i / 40) % 2 ? 0.0f : 1.0f);
        if (i % 300 == 0) effect.selectProgram((i / 300) % 6);
        if (i % 200 == 0) std::this_thread::yield();
    }
    done.store(true);
    audio.join();
    EXPECT_GE(blocks.load(), 200);
}

} // namespace
