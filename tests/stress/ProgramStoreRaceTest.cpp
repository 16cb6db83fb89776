// Host automation racing a program change on the user-interface thread. Whatever the
// interleaving, the state the host saves afterwards, loaded into another instance, gives exactly
// the parameters and engine values that are live. Also run under ThreadSanitizer.
#include "StressTestSupport.h"
#include "effect/ADelay.h"
#include "plugin/AEffEditor.h"
#include "presets/PresetSystemCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using namespace stress;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Where two instances differ in what a listener hears or a host reads; empty when they agree.
std::string difference(ADelay& live, ADelay& reloaded)
{
    for (int k = 0; k < 8; ++k)
        if (!sameBits(live.getParameter(k), reloaded.getParameter(k)))
            return "parameter " + std::to_string(k) + ": live " +
                   std::to_string(live.getParameter(k)) + ", saved " +
                   std::to_string(reloaded.getParameter(k));
    const ResonatorCore& x = live.engine();
    const ResonatorCore& y = reloaded.engine();
    const struct
    {
        const char* name;
        float a, b;
    } engine[] = {{"output gain", x.outputGain(), y.outputGain()},
                  {"mix", x.mixAmount(), y.mixAmount()},
                  {"feedback", x.feedback(), y.feedback()},
                  {"damping", x.damping(11), y.damping(11)},
                  {"transposition", x.transposeFactor(), y.transposeFactor()},
                  {"tune", x.tuneTarget(), y.tuneTarget()},
                  {"detune", x.detuneTarget(), y.detuneTarget()},
                  {"bypass", static_cast<float>(x.bypassed()), static_cast<float>(y.bypassed())}};
    for (const auto& e : engine)
        if (!sameBits(e.a, e.b))
            return std::string("engine ") + e.name + ": live " + std::to_string(e.a) + ", saved " +
                   std::to_string(e.b);
    return {};
}

// Waits for `ready` to hold; spins (both threads are meant to be running) but yields now and
// then, so that a busy machine with one free core still moves on.
template <typename Ready> void spinUntil(Ready ready)
{
    for (int i = 1; !ready(); ++i)
        if (i % 65536 == 0) std::this_thread::yield();
}

// Runs one job on a second thread per round. Both threads are running when a round starts: the
// partner has announced itself and is spinning, so the caller's job and the partner's overlap as
// their own timing decides.
class RacePartner
{
public:
    explicit RacePartner(std::function<void(int)> job)
        : job(std::move(job)), worker([this] { run(); })
    {
    }
    ~RacePartner()
    {
        stop.store(true);
        round.fetch_add(1);
        worker.join();
    }
    // Starts round r on the partner, runs `mine` here, then waits for the partner.
    void race(int r, const std::function<void()>& mine)
    {
        roundIndex = r;
        const int target = round.fetch_add(1) + 1;
        spinUntil([&] { return ready.load() == target; });
        go.store(target);
        mine();
        spinUntil([&] { return done.load() == target; });
    }

private:
    void run()
    {
        for (int seen = 1;; ++seen)
        {
            spinUntil([&] { return round.load() >= seen; });
            if (stop.load()) return;
            ready.store(seen);
            spinUntil([&] { return go.load() == seen; });
            job(roundIndex);
            done.store(seen);
        }
    }
    std::function<void(int)> job;
    std::atomic<int> round{0}, ready{0}, go{0}, done{0};
    std::atomic<bool> stop{false};
    int roundIndex = 0; // written before `round` is raised, read after it is seen
    std::thread worker;
};

void spin(int iterations)
{
    [[maybe_unused]] volatile int sink = 0;
    for (int i = 0; i < iterations; ++i)
        sink = i;
}

// Spin iterations that take about as long as `work` does.
int spinsLasting(const std::function<void()>& work)
{
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    for (int i = 0; i < 50; ++i)
        work();
    const double workTime = std::chrono::duration<double>(Clock::now() - t0).count() / 50;
    t0 = Clock::now();
    spin(100000);
    const double spinTime = std::chrono::duration<double>(Clock::now() - t0).count() / 100000;
    return std::clamp(static_cast<int>(workTime / spinTime), 10, 1000000);
}

class ProgramStoreRace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() /
                 ("orv-race-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(config); }

    std::filesystem::path config;
};

// Under the thread sanitizer each trial is many times slower; a tenth of them still meets every
// kind of overlap often enough for it to report any unsynchronised access.
int trialsFor(int wanted)
{
#if defined(__SANITIZE_THREAD__)
    return wanted / 10;
#else
    return wanted;
#endif
}

enum class UiStep
{
    LoadChunk,
    SelectProgram,
    RecallMemory,
};

struct Race
{
    const char* name;
    UiStep step;
    VstInt32 automated;
    int trials;
};

// Automated Decay (one program's) and Mix (shared by all programs) against each way the
// user-interface thread replaces the live program.
const Race kRaces[] = {
    {"chunk load vs Decay", UiStep::LoadChunk, kDecay, 20000},
    {"chunk load vs Mix", UiStep::LoadChunk, kMix, 4000},
    {"program change vs Decay", UiStep::SelectProgram, kDecay, 4000},
    {"memory recall vs Tune", UiStep::RecallMemory, kTune, 1000},
};
} // namespace

TEST_F(ProgramStoreRace, SavedStateAlwaysReloadsToTheLiveOne)
{
    for (const Race& race : kRaces)
    {
        SCOPED_TRACE(race.name);
        ADelay live(quietHost);
        ADelay reloaded(quietHost);
        auto* presets = dynamic_cast<PresetSystemCore*>(live.getEditor());
        ASSERT_NE(presets, nullptr);
        const int trials = trialsFor(race.trials);

        // Each trial loads a chunk whose program (trial % 6) has its own values, and switches
        // transposition, so the feedback is recomputed while Decay may be changing.
        std::vector<Bytes> chunks;
        std::vector<float> automated;
        const Bytes base = chunkOf(live.getAeffect());
        for (int t = 0; t < 64; ++t)
        {
            Bytes c = base;
            const int program = t % 6;
            putCurrent(c, program);
            for (int k = 0; k < 7; ++k)
                putValue(c, program, k, 0.01f * static_cast<float>((t * 7 + k * 13) % 50));
            putValue(c, program, kTranspose, t % 2 ? 0.25f : 0.75f);
            chunks.push_back(c);
            automated.push_back(0.5f + 0.005f * static_cast<float>(t % 97));
        }
        if (race.step == UiStep::RecallMemory) presets->storeMemoA();

        auto uiStep = [&](int t)
        {
            switch (race.step)
            {
            case UiStep::LoadChunk:
                loadChunk(live.getAeffect(), chunks[static_cast<size_t>(t) % chunks.size()]);
                break;
            case UiStep::SelectProgram:
                live.selectProgram(t % 6);
                break;
            case UiStep::RecallMemory:
                presets->recallMemoA();
                break;
            }
        };
        std::mt19937 random(7);
        const int window = spinsLasting([&] { uiStep(0); });
        std::vector<int> delays(static_cast<size_t>(trials));
        for (int& d : delays)
            d = static_cast<int>(random() % static_cast<unsigned>(window + 1));

        RacePartner automation(
            [&](int t)
            {
                spin(delays[static_cast<size_t>(t)]);
                live.setParameter(race.automated,
                                  automated[static_cast<size_t>(t) % automated.size()]);
            });
        int lost = 0;
        std::string first;
        for (int t = 0; t < trials; ++t)
        {
            automation.race(t, [&] { uiStep(t); });
            ASSERT_EQ(loadChunk(reloaded.getAeffect(), chunkOf(live.getAeffect())), 0);
            const std::string d = difference(live, reloaded);
            if (!d.empty() && lost++ == 0) first = "trial " + std::to_string(t) + ": " + d;
        }
        std::printf("%s: %d of %d trials lost\n", race.name, lost, trials);
        EXPECT_EQ(lost, 0) << "first " << first;
    }
}
