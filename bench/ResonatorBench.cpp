// Cost per stereo frame of the resonator engine and of the plain reference model, measured in the
// same run. Run: build/bench/orv-bench (RelWithDebInfo build). Each benchmark reports
// "per_frame" (time per stereo frame).
//   Steady:  noise through the "Default" program, no glide.
//   Glide:   Tune and Detune kept gliding the whole time (string lengths change every sample).
//   Noise / SilenceAfterLoud: the same engine fed noise, or silence after a loud passage; the
//            strings then decay towards the tiny alternating offset, which must cost no more.
#include "ParameterMapping.h"
#include "ReferenceResonator.h"
#include "ResonatorCore.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{

constexpr int32_t kBlock = 512;
constexpr float kRate = 48000.0f;
const std::array<float, 8> kDefaultProgram{0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f};

std::vector<float> noise(size_t frames, uint32_t seed, float level)
{
    std::vector<float> v(frames);
    for (auto& s : v)
    {
        seed = seed * 1664525u + 1013904223u;
        s = level * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return v;
}

// The engine as the plug-in drives it.
struct Engine
{
    ResonatorCore core;
    std::array<float, 8> params{};
    void set(int32_t index, float value)
    {
        params[index] = value;
        orv::deriveEngineValue(core, index, value, params[kDecay]);
    }
    void process(const float* l, const float* r, float* ol, float* orr, int32_t n)
    {
        core.process(l, r, ol, orr, n, kRate);
    }
    void reset() { core.reset(); }
};

struct Model
{
    ReferenceResonator model;
    void set(int32_t index, float value) { model.setParameter(index, value); }
    void process(const float* l, const float* r, float* ol, float* orr, int32_t n)
    {
        model.process(l, r, ol, orr, n, kRate);
    }
    void reset() { model.reset(); }
};

enum class Scene
{
    Steady,
    Glide,
    Noise,
    SilenceAfterLoud
};

template <typename Subject> void runScene(benchmark::State& state, Scene scene)
{
    auto subject = std::make_unique<Subject>();
    for (int32_t i = 0; i < 8; ++i)
        subject->set(i, kDefaultProgram[i]);
    subject->reset();

    const std::vector<float> loud = noise(kBlock * 64, 7, 0.9f);
    const std::vector<float> quiet(kBlock, 0.0f);
    std::vector<float> outL(kBlock), outR(kBlock);
    // Warm up with sound in the strings.
    for (size_t pos = 0; pos < loud.size(); pos += kBlock)
        subject->process(loud.data() + pos, loud.data() + pos, outL.data(), outR.data(), kBlock);

    size_t pos = 0;
    int64_t block = 0;
    for (auto _ : state)
    {
        const float* in = scene == Scene::SilenceAfterLoud ? quiet.data() : loud.data() + pos;
        if (scene == Scene::Glide && block % 8 == 0)
        {
            // Alternate the targets before either glide arrives.
            const bool up = (block / 8) % 2 == 0;
            subject->set(kTune, up ? 1.0f : 0.0f);
            subject->set(kDetune, up ? 1.0f : 0.0f);
        }
        subject->process(in, in, outL.data(), outR.data(), kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        pos = (pos + kBlock) % loud.size();
        ++block;
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Engine_Steady(benchmark::State& s)
{
    runScene<Engine>(s, Scene::Steady);
}
void BM_Model_Steady(benchmark::State& s)
{
    runScene<Model>(s, Scene::Steady);
}
void BM_Engine_Glide(benchmark::State& s)
{
    runScene<Engine>(s, Scene::Glide);
}
void BM_Model_Glide(benchmark::State& s)
{
    runScene<Model>(s, Scene::Glide);
}
void BM_Engine_Noise(benchmark::State& s)
{
    runScene<Engine>(s, Scene::Noise);
}
void BM_Engine_SilenceAfterLoud(benchmark::State& s)
{
    runScene<Engine>(s, Scene::SilenceAfterLoud);
}
void BM_Model_SilenceAfterLoud(benchmark::State& s)
{
    runScene<Model>(s, Scene::SilenceAfterLoud);
}

} // namespace

BENCHMARK(BM_Engine_Steady);
BENCHMARK(BM_Model_Steady);
BENCHMARK(BM_Engine_Glide);
BENCHMARK(BM_Model_Glide);
BENCHMARK(BM_Engine_Noise);
BENCHMARK(BM_Engine_SilenceAfterLoud);
BENCHMARK(BM_Model_SilenceAfterLoud);
