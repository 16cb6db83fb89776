// What the resonator costs against the plain reference model, at 44.1 kHz in blocks of 512
// frames, for every kernel this processor runs and for the built plug-in through its
// processReplacing (RelWithDebInfo build).
//
//   orv-bench [--rounds=N] [--plugin=PATH | --no-plugin]
//       The ratio table. For each scene and subject, blocks of the model and blocks of the
//       subject are timed alternately (thread CPU time), round after round, in this one run;
//       each round gives one ratio, and the table shows the smallest and the median.
//   orv-bench --benchmark_filter=... (any --benchmark_ option)
//       Google Benchmark instead: time per stereo frame ("per_frame") of every subject and scene.
//
// Scenes, all on the "Default" program fed with noise:
//   steady   no glide;
//   glides   Tune and Detune kept gliding: both targets swap ends every 8 blocks, before either
//            glide arrives, so the string lengths change every sample;
//   automation  Tune and Detune moved as a host's automation moves them: new targets every 4
//            blocks, stepping back and forth across their ranges, so both glide all the time
//            towards targets that keep changing;
//   silence  silence after loud input: the strings decay towards the tiny alternating offset,
//            which must cost no more than sound does. Its last row compares it with the
//            subject's own cost of steady noise.
#include "ParameterMapping.h"
#include "ReferenceResonator.h"
#include "ResonatorCore.h"
#include "ResonatorKernel.h"
#include "tools/PluginLibrary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int32_t kBlock = 512;
constexpr float kRate = 44100.0f;
constexpr int32_t kGlideSwapBlocks = 8;
constexpr int32_t kAutomationBlocks = 4;
constexpr int32_t kLoudBlocks = 64;
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

// Anything that processes like the effect: the model, the engine with one kernel, the plug-in.
class Subject
{
public:
    virtual ~Subject() = default;
    virtual void set(int32_t index, float value) = 0;
    virtual void reset() = 0;
    virtual void process(const float* l, const float* r, float* ol, float* orr, int32_t n) = 0;
};

class ModelSubject final : public Subject
{
public:
    void set(int32_t index, float value) override { model.setParameter(index, value); }
    void reset() override { model.reset(); }
    void process(const float* l, const float* r, float* ol, float* orr, int32_t n) override
    {
        model.process(l, r, ol, orr, n, kRate);
    }

private:
    ReferenceResonator model;
};

class EngineSubject final : public Subject
{
public:
    explicit EngineSubject(const char* kernel) { core.useKernel(kernel); }
    void set(int32_t index, float value) override
    {
        params[index] = value;
        orv::deriveEngineValue(core, index, value, params[kDecay]);
    }
    void reset() override { core.reset(); }
    void process(const float* l, const float* r, float* ol, float* orr, int32_t n) override
    {
        core.process(l, r, ol, orr, n, kRate);
    }

private:
    ResonatorCore core;
    std::array<float, 8> params{};
};

// The built plug-in, loaded through its entry point and driven as a host drives it.
class PluginSubject final : public Subject
{
public:
    static std::unique_ptr<PluginSubject> open(const std::string& path, std::string& error)
    {
        auto subject = std::unique_ptr<PluginSubject>(new PluginSubject);
        if (!subject->library.load(path, error)) return nullptr;
        subject->effect = subject->library.instantiate(&PluginSubject::host, error);
        if (subject->effect == nullptr) return nullptr;
        dispatch(subject->effect, effOpen);
        dispatch(subject->effect, effSetSampleRate, 0, 0, nullptr, kRate);
        dispatch(subject->effect, effSetBlockSize, 0, kBlock);
        dispatch(subject->effect, effMainsChanged, 0, 1);
        return subject;
    }
    ~PluginSubject() override
    {
        if (effect == nullptr) return;
        dispatch(effect, effMainsChanged, 0, 0);
        dispatch(effect, effClose);
    }
    void set(int32_t index, float value) override { effect->setParameter(effect, index, value); }
    void reset() override
    {
        dispatch(effect, effMainsChanged, 0, 0);
        dispatch(effect, effMainsChanged, 0, 1);
    }
    void process(const float* l, const float* r, float* ol, float* orr, int32_t n) override
    {
        float* inputs[2] = {const_cast<float*>(l), const_cast<float*>(r)};
        float* outputs[2] = {ol, orr};
        effect->processReplacing(effect, inputs, outputs, n);
    }

private:
    PluginSubject() = default;
    static VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    PluginLibrary library;
    AEffect* effect = nullptr;
};

enum class Scene
{
    Steady,
    Glides,
    Automation,
    Silence
};

// The automation scene's value of a parameter at its n-th change: a triangle across 0.05..0.95 in
// steps of 0.06, each parameter with its own phase.
float automationValue(int64_t n, int64_t phase)
{
    const int64_t position = (n + phase) % 30; // 15 steps up, 15 down
    const int64_t step = position < 15 ? position : 30 - position;
    return 0.05f + 0.06f * static_cast<float>(step);
}

// One subject playing one scene, block after block; its state carries on between calls.
class Player
{
public:
    Player(std::unique_ptr<Subject> s, Scene scene) : subject(std::move(s)), scene(scene)
    {
        for (int32_t i = 0; i < 8; ++i)
            subject->set(i, kDefaultProgram[i]);
        subject->reset();
        // Sound in the strings before anything is timed.
        reload();
    }

    // Plays `blocks` blocks of the scene.
    void play(int32_t blocks)
    {
        for (int32_t b = 0; b < blocks; ++b)
        {
            if (scene == Scene::Glides && count % kGlideSwapBlocks == 0)
            {
                const float end = (count / kGlideSwapBlocks) % 2 == 0 ? 1.0f : 0.0f;
                subject->set(kTune, end);
                subject->set(kDetune, end);
            }
            if (scene == Scene::Automation && count % kAutomationBlocks == 0)
            {
                const int64_t change = count / kAutomationBlocks;
                subject->set(kTune, automationValue(change, 0));
                subject->set(kDetune, automationValue(change, 11));
            }
            if (scene == Scene::Silence)
                playBlock(silence().data(), silence().data());
            else
                playLoud(count);
            ++count;
        }
    }

    // For the silence scene: loud input again, untimed, so that every round starts loud.
    void reload()
    {
        for (int32_t b = 0; b < kLoudBlocks; ++b)
            playLoud(b);
    }

private:
    static constexpr int32_t kNoiseBlocks = 64;
    static const std::vector<float>& loud(int channel)
    {
        static const std::vector<float> v[2] = {noise(kBlock * kNoiseBlocks, 7, 0.9f),
                                                noise(kBlock * kNoiseBlocks, 8, 0.9f)};
        return v[channel];
    }
    static const std::vector<float>& silence()
    {
        static const std::vector<float> v(kBlock, 0.0f);
        return v;
    }
    void playLoud(int64_t block)
    {
        const size_t at = static_cast<size_t>(block % kNoiseBlocks) * kBlock;
        playBlock(loud(0).data() + at, loud(1).data() + at);
    }
    void playBlock(const float* inL, const float* inR)
    {
        subject->process(inL, inR, outL.data(), outR.data(), kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
    }

    std::unique_ptr<Subject> subject;
    Scene scene;
    int64_t count = 0;
    std::vector<float> outL = std::vector<float>(kBlock);
    std::vector<float> outR = std::vector<float>(kBlock);
};

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double timed(Player& player, int32_t blocks)
{
    const double start = threadSeconds();
    player.play(blocks);
    return threadSeconds() - start;
}

struct Spread
{
    double smallest;
    double median;
};

Spread spreadOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

using SubjectFactory = std::function<std::unique_ptr<Subject>()>;

struct Column
{
    std::string name;
    SubjectFactory make;
};

std::string pluginPath = ORV_BENCH_PLUGIN;

std::vector<Column> columns(bool withPlugin)
{
    std::vector<Column> result;
    for (const char* name : {"portable", "sse2", "avx2", "avx512"})
        if (resonator::findKernel(name) != nullptr)
            result.push_back({name, [name] { return std::make_unique<EngineSubject>(name); }});
    if (withPlugin)
    {
        std::string error;
        if (PluginSubject::open(pluginPath, error) != nullptr)
        {
            const std::string best = resonator::bestKernel().name;
            result.push_back({"plug-in (" + best + ")", []
                              {
                                  std::string e;
                                  return std::unique_ptr<Subject>(
                                      PluginSubject::open(pluginPath, e));
                              }});
        }
        else
        {
            std::fprintf(stderr, "orv-bench: no plug-in column: %s\n", error.c_str());
        }
    }
    return result;
}

// Ratio of subject to model, round by round, the model and the subject taking turns.
Spread againstModel(const Column& column, Scene scene, int32_t rounds, int32_t blocks,
                    double& modelNsPerFrame)
{
    Player model(std::make_unique<ModelSubject>(), scene);
    Player subject(column.make(), scene);
    std::vector<double> ratios;
    std::vector<double> modelTimes;
    for (int32_t r = 0; r < rounds; ++r)
    {
        if (scene == Scene::Silence)
        {
            model.reload();
            subject.reload();
        }
        const double m = timed(model, blocks);
        const double s = timed(subject, blocks);
        ratios.push_back(s / m);
        modelTimes.push_back(m);
    }
    modelNsPerFrame = spreadOf(modelTimes).median * 1e9 / (blocks * kBlock);
    return spreadOf(ratios);
}

// Silence after loud input against the subject's own steady noise, round by round.
Spread silenceAgainstNoise(const Column& column, int32_t rounds, int32_t blocks)
{
    Player noisy(column.make(), Scene::Steady);
    Player quiet(column.make(), Scene::Silence);
    std::vector<double> ratios;
    for (int32_t r = 0; r < rounds; ++r)
    {
        quiet.reload();
        const double n = timed(noisy, blocks);
        const double s = timed(quiet, blocks);
        ratios.push_back(s / n);
    }
    return spreadOf(ratios);
}

int ratioTable(int32_t rounds, bool withPlugin)
{
    constexpr int32_t kTimedBlocks = 16;
    const std::vector<Column> cols = columns(withPlugin);
    std::printf("orv-bench: %.0f Hz, blocks of %d frames, %d rounds of %d blocks per cell;\n"
                "time per frame against the model's, smallest / median of the rounds\n\n",
                kRate, kBlock, rounds, kTimedBlocks);
    std::printf("%-22s %10s", "scene", "model ns");
    for (const Column& c : cols)
        std::printf("  %20s", c.name.c_str());
    std::printf("\n");
    const struct
    {
        const char* label;
        Scene scene;
    } rows[] = {{"steady", Scene::Steady},
                {"glides", Scene::Glides},
                {"automation", Scene::Automation},
                {"silence after loud", Scene::Silence}};
    for (const auto& row : rows)
    {
        std::vector<Spread> cells;
        double modelNs = 0.0;
        for (const Column& c : cols)
            cells.push_back(againstModel(c, row.scene, rounds, kTimedBlocks, modelNs));
        std::printf("%-22s %10.1f", row.label, modelNs);
        for (const Spread& s : cells)
            std::printf("  %11.3f / %6.3f", s.smallest, s.median);
        std::printf("\n");
    }
    std::printf("%-22s %10s", "silence / own noise", "");
    for (const Column& c : cols)
    {
        const Spread s = silenceAgainstNoise(c, rounds, kTimedBlocks);
        std::printf("  %11.3f / %6.3f", s.smallest, s.median);
    }
    std::printf("\n");
    return 0;
}

// Google Benchmark: ns per frame of one subject in one scene.
void runScene(benchmark::State& state, const SubjectFactory& make, Scene scene)
{
    Player player(make(), scene);
    for (auto _ : state)
    {
        if (scene == Scene::Silence)
        {
            state.PauseTiming();
            player.reload();
            state.ResumeTiming();
        }
        player.play(1);
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void registerBenchmarks(bool withPlugin)
{
    std::vector<Column> cols = columns(withPlugin);
    cols.insert(cols.begin(), {"model", [] { return std::make_unique<ModelSubject>(); }});
    const struct
    {
        const char* label;
        Scene scene;
    } scenes[] = {{"Steady", Scene::Steady},
                  {"Glides", Scene::Glides},
                  {"Automation", Scene::Automation},
                  {"SilenceAfterLoud", Scene::Silence}};
    for (const Column& c : cols)
        for (const auto& s : scenes)
            benchmark::RegisterBenchmark((c.name + "/" + s.label).c_str(),
                                         [make = c.make, scene = s.scene](benchmark::State& st)
                                         { runScene(st, make, scene); });
}

} // namespace

int main(int argc, char** argv)
{
    int32_t rounds = 40;
    bool withPlugin = true;
    bool googleBenchmark = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg.rfind("--rounds=", 0) == 0)
            rounds = std::max(1, std::atoi(arg.c_str() + 9));
        else if (arg.rfind("--plugin=", 0) == 0)
            pluginPath = arg.substr(9);
        else if (arg == "--no-plugin")
            withPlugin = false;
        else if (arg.rfind("--benchmark", 0) == 0)
            googleBenchmark = true;
        else
        {
            std::fprintf(stderr, "usage: orv-bench [--rounds=N] [--plugin=PATH | --no-plugin] "
                                 "[--benchmark_...]\n");
            return 2;
        }
    }
    if (!googleBenchmark) return ratioTable(rounds, withPlugin);

    registerBenchmarks(withPlugin);
    std::vector<char*> gbArgs{argv[0]};
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark", 11) == 0) gbArgs.push_back(argv[i]);
    int gbArgc = static_cast<int>(gbArgs.size());
    benchmark::Initialize(&gbArgc, gbArgs.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
