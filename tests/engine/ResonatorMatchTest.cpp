// The engine against the plain reference model, bit for bit: every output float and, at the end,
// the whole running state, for each kernel, each factory program and four sample rates, in blocks
// of 1 to 4096 frames with parameter changes between blocks (glides interrupted and reversed
// mid-way) and resets in the middle.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <tuple>

namespace
{

using namespace enginetest;

// The same values given to the engine and the model, in index order (as the plug-in applies a
// program).
void setBoth(CoreDriver& engine, ReferenceResonator& model, const std::array<float, 8>& values)
{
    for (int32_t i = 0; i < 8; ++i)
    {
        engine.set(i, values[i]);
        model.setParameter(i, values[i]);
    }
}

void setBoth(CoreDriver& engine, ReferenceResonator& model, int32_t index, float value)
{
    engine.set(index, value);
    model.setParameter(index, value);
}

struct Event
{
    int64_t at;    // sample position; applied before the first block starting at or after it
    int32_t index; // parameter index, or kReset
    float value;
};
constexpr int32_t kReset = -1;
constexpr int32_t kProgramValue = -2; // value: restore the program's own value for `index`

const std::vector<Event>& scenario()
{
    static const std::vector<Event> events{
        {20000, kDecay, 0.9f},
        {30000, kDamp, 0.0f},
        {40000, kDamp, 1.0f},
        {45000, kTune, 0.0f}, // a Tune sweep, changed again mid-glide
        {50000, kTune, 0.3f},
        {52000, kTune, 1.0f},
        {60000, kDetune, 1.0f}, // Detune 0 to 1 while Tune still glides
        {70000, kTune, 0.5f},
        {75000, kDetune, 0.3f},
        {85000, kTranspose, 0.75f}, // a new step: strings cleared at the next block
        {90000, kTranspose, 0.76f}, // same step: nothing happens
        {95000, kTranspose, 0.0f},
        {100000, kTranspose, std::numeric_limits<float>::quiet_NaN()},
        {102000, kBypass, 1.0f},
        {110000, kBypass, 0.0f},
        {113000, kMix, 0.0f},
        {116000, kMix, 1.0f},
        {119000, kOutput, 0.0f},
        {121000, kOutput, 1.0f},
        {123000, kDecay, -3.0f},
        {125000, kReset, 0.0f},
        {126000, kTune, 0.9f}, // changed, then reset at once: the glide jumps
        {126000, kReset, 0.0f},
        {127000, kDetune, 2.5f},
        {131000, kDamp, std::numeric_limits<float>::infinity()},
        {134000, kMix, kProgramValue},
        {134000, kOutput, kProgramValue},
        {134000, kDecay, kProgramValue},
        {134000, kDamp, kProgramValue},
        {134000, kTranspose, kProgramValue},
        {134000, kTune, kProgramValue},
        {134000, kDetune, kProgramValue},
    };
    return events;
}
constexpr int64_t kScenarioLength = 140000;

class BlockSizes
{
public:
    explicit BlockSizes(uint32_t seed) : state_(seed) {}
    int32_t next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        static const int32_t kFixed[] = {1, 1, 2, 3, 7, 31, 64, 100, 511, 512, 1024, 4096};
        const uint32_t r = state_ >> 8;
        if (r % 3 == 0) return kFixed[(r / 3) % 12];
        return 1 + static_cast<int32_t>((r / 3) % 4096);
    }

private:
    uint32_t state_;
};

class ResonatorMatch : public ::testing::TestWithParam<std::tuple<const char*, int, float, bool>>
{
};

TEST_P(ResonatorMatch, EngineMatchesModelBitForBit)
{
    const auto [kernel, programIndex, sampleRate, inPlace] = GetParam();
    const FactoryProgram& program = kFactoryPrograms[programIndex];
    SCOPED_TRACE(std::string(program.name) + " at " + std::to_string(sampleRate) +
                 (inPlace ? " Hz, in place" : " Hz"));

    // As the plug-in starts: the program applied in index order, then a reset.
    CoreDriver engine;
    std::string skipReason;
    if (!useKernel(engine.core, kernel, skipReason)) GTEST_SKIP() << skipReason;
    ReferenceResonator model;
    setBoth(engine, model, program.values);
    engine.core.reset();
    model.reset();

    const std::vector<float> left = makeSignal(kScenarioLength, 1 + programIndex);
    const std::vector<float> right = makeSignal(kScenarioLength, 101 + programIndex, 0.3f);
    std::vector<float> engineL(4096), engineR(4096), modelL(4096), modelR(4096);

    BlockSizes sizes(static_cast<uint32_t>(programIndex * 7919 + sampleRate));
    size_t nextEvent = 0;
    const auto& events = scenario();
    int64_t pos = 0;
    while (pos < kScenarioLength)
    {
        for (; nextEvent < events.size() && events[nextEvent].at <= pos; ++nextEvent)
        {
            const Event& e = events[nextEvent];
            if (e.index == kReset)
            {
                engine.core.reset();
                model.reset();
                continue;
            }
            const float value = e.value == kProgramValue ? program.values[e.index] : e.value;
            setBoth(engine, model, e.index, value);
        }
        const int32_t frames =
            static_cast<int32_t>(std::min<int64_t>(sizes.next(), kScenarioLength - pos));
        const float* inL = left.data() + pos;
        const float* inR = right.data() + pos;
        if (inPlace)
        {
            std::copy(inL, inL + frames, engineL.begin());
            std::copy(inR, inR + frames, engineR.begin());
            engine.core.process(engineL.data(), engineR.data(), engineL.data(), engineR.data(),
                                frames, sampleRate);
        }
        else
        {
            engine.core.process(inL, inR, engineL.data(), engineR.data(), frames, sampleRate);
        }
        model.process(inL, inR, modelL.data(), modelR.data(), frames, sampleRate);

        const long diffL = firstBitDifference(engineL.data(), modelL.data(), frames);
        const long diffR = firstBitDifference(engineR.data(), modelR.data(), frames);
        ASSERT_EQ(diffL, -1) << "left output differs at sample " << pos + diffL << ": "
                             << engineL[diffL] << " vs " << modelL[diffL];
        ASSERT_EQ(diffR, -1) << "right output differs at sample " << pos + diffR << ": "
                             << engineR[diffR] << " vs " << modelR[diffR];
        pos += frames;
    }
    EXPECT_EQ(stateDifference(engine.core, model), "");
}

INSTANTIATE_TEST_SUITE_P(FactoryPrograms, ResonatorMatch,
                         ::testing::Combine(::testing::ValuesIn(kKernels), ::testing::Range(0, 6),
                                            ::testing::Values(44100.0f, 48000.0f, 96000.0f,
                                                              192000.0f),
                                            ::testing::Bool()),
                         [](const auto& info)
                         {
                             return std::string(std::get<0>(info.param)) + "_program" +
                                    std::to_string(std::get<1>(info.param)) + "_" +
                                    std::to_string(static_cast<int>(std::get<2>(info.param))) +
                                    (std::get<3>(info.param) ? "_inPlace" : "");
                         });

class ResonatorMatchKernel : public ::testing::TestWithParam<const char*>
{
};

// Sample-rate changes take effect at the next sample without clearing, and unusual rates (where
// string lengths fall outside the ring or on whole numbers) still match the plain algorithm.
TEST_P(ResonatorMatchKernel, SampleRateChangesAndUnusualRatesMatch)
{
    // 4.7245e11 Hz makes string 0 just over 2^32 samples long, 2.03e21 Hz just over 2^64:
    // lengths whose conversion to integers differs between processors.
    const float rates[] = {44000.0f,   44100.0f, 22050.0f,  8000.0f,
                           1.0f,       0.0f,     500000.0f, std::numeric_limits<float>::quiet_NaN(),
                           4.7245e11f, 2.03e21f, -44100.0f, 96000.0f};
    CoreDriver engine;
    std::string skipReason;
    if (!useKernel(engine.core, GetParam(), skipReason)) GTEST_SKIP() << skipReason;
    ReferenceResonator model;
    setBoth(engine, model, kFactoryPrograms[0].values);
    // A tuning factor of exactly 1 makes string 0 exactly 400 samples long at 44000 Hz.
    auto tuneExactly = [&]
    {
        engine.core.setTuneTarget(1.0f);
        model.tuneTarget = 1.0f;
    };
    tuneExactly();
    engine.core.reset();
    model.reset();
    const std::vector<float> in = makeSignal(std::size(rates) * 4000, 7); // 10 blocks per rate
    std::vector<float> eL(4000), eR(4000), mL(4000), mR(4000);
    int64_t pos = 0;
    for (float rate : rates)
    {
        for (int block = 0; block < 10; ++block, pos += 400)
        {
            if (block == 5)
            {
                setBoth(engine, model, kTune, 0.2f); // glide at that rate
            }
            engine.core.process(in.data() + pos, in.data() + pos, eL.data(), eR.data(), 400, rate);
            model.process(in.data() + pos, in.data() + pos, mL.data(), mR.data(), 400, rate);
            ASSERT_EQ(firstBitDifference(eL.data(), mL.data(), 400), -1) << "rate " << rate;
            ASSERT_EQ(firstBitDifference(eR.data(), mR.data(), 400), -1) << "rate " << rate;
        }
        tuneExactly();
    }
    EXPECT_EQ(stateDifference(engine.core, model), "");
}

// Glides that end on, or pass through, string lengths of whole samples: at 44000 Hz string 0 is
// exactly 400 samples long at a tuning factor of 1, and Detune sweeps lengths across many whole
// numbers. Near whole numbers the delays must come from the exact formula.
TEST_P(ResonatorMatchKernel, GlidesThroughWholeSampleLengthsMatch)
{
    CoreDriver engine;
    std::string skipReason;
    if (!useKernel(engine.core, GetParam(), skipReason)) GTEST_SKIP() << skipReason;
    ReferenceResonator model;
    setBoth(engine, model, kFactoryPrograms[0].values);
    engine.core.setTuneTarget(0.95f);
    model.tuneTarget = 0.95f;
    engine.core.reset();
    model.reset();
    const std::vector<float> in = makeSignal(60000, 17);
    std::vector<float> eL(1000), eR(1000), mL(1000), mR(1000);
    for (int64_t pos = 0; pos + 1000 <= 60000; pos += 1000)
    {
        if (pos == 1000 || pos == 30000)
        {
            // Tune glides to exactly 1 (and arrives), Detune sweeps across its range.
            engine.core.setTuneTarget(1.0f);
            model.tuneTarget = 1.0f;
            setBoth(engine, model, kDetune, pos == 1000 ? 1.0f : 0.0f);
        }
        engine.core.process(in.data() + pos, in.data() + pos, eL.data(), eR.data(), 1000, 44000.0f);
        model.process(in.data() + pos, in.data() + pos, mL.data(), mR.data(), 1000, 44000.0f);
        ASSERT_EQ(firstBitDifference(eL.data(), mL.data(), 1000), -1) << "block at " << pos;
        ASSERT_EQ(firstBitDifference(eR.data(), mR.data(), 1000), -1) << "block at " << pos;
    }
    EXPECT_EQ(engine.core.tuneCurrent(), 1.0f);
    EXPECT_EQ(stateDifference(engine.core, model), "");
}

// Input at the edges of ordinary sound goes through the same steps in engine and model: the
// smallest subnormals, values that cancel the denormal guard, and samples as large as 1e30.
TEST_P(ResonatorMatchKernel, ExtremeOrdinaryInputsMatch)
{
    const float tiny = std::numeric_limits<float>::denorm_min();
    for (int32_t glide = 0; glide < 2; ++glide)
    {
        CoreDriver engine;
        std::string skipReason;
        if (!useKernel(engine.core, GetParam(), skipReason)) GTEST_SKIP() << skipReason;
        ReferenceResonator model;
        setBoth(engine, model, kFactoryPrograms[1].values);
        engine.core.reset();
        model.reset();
        if (glide)
        {
            setBoth(engine, model, kTune, 1.0f);
        }
        std::vector<float> inL = makeSignal(3000, 21), inR = makeSignal(3000, 22);
        inL[1000] = tiny;
        inR[1000] = -tiny;
        inL[1001] = -1e-9f;
        inR[1001] = 1e-9f;
        inL[1002] = 1e-9f;
        inR[1002] = -1e-9f;
        inL[1200] = 1e30f;
        inR[1200] = 1e30f;
        inL[1500] = -1e30f;
        inR[2500] = 1e30f;
        std::vector<float> eL(3000), eR(3000), mL(3000), mR(3000);
        engine.core.process(inL.data(), inR.data(), eL.data(), eR.data(), 3000, 44100.0f);
        model.process(inL.data(), inR.data(), mL.data(), mR.data(), 3000, 44100.0f);
        ASSERT_EQ(firstBitDifference(eL.data(), mL.data(), 3000), -1) << "glide " << glide;
        ASSERT_EQ(firstBitDifference(eR.data(), mR.data(), 3000), -1) << "glide " << glide;
        EXPECT_EQ(stateDifference(engine.core, model), "");
    }
}

// Strings almost as long as the ring (lowest transposition, tuned down, full Detune): at 418.2 kHz
// string 0 is 16380 samples long, so a tap can read a position that a later frame of the same
// vector group writes after going once round the ring; chunks must keep such frames apart.
// Detune glides down and up again.
TEST_P(ResonatorMatchKernel, StringsNearlyAsLongAsTheRingMatch)
{
    for (const float rate : {384000.0f, 418200.0f})
    {
        SCOPED_TRACE(rate);
        CoreDriver engine;
        std::string skipReason;
        if (!useKernel(engine.core, GetParam(), skipReason)) GTEST_SKIP() << skipReason;
        ReferenceResonator model;
        const std::array<float, 8> values{0.5f, 1.0f, 0.9f, 0.1f, 0.0f, 0.0f, 1.0f, 0.0f};
        setBoth(engine, model, values);
        engine.core.reset();
        model.reset();
        const std::vector<float> in = makeSignal(90000, 23);
        std::vector<float> eL(4096), eR(4096), mL(4096), mR(4096);
        BlockSizes sizes(static_cast<uint32_t>(rate));
        for (int64_t pos = 0; pos < 90000;)
        {
            if (pos >= 40000 && pos < 44096) // Detune glides down and, later, up again
            {
                setBoth(engine, model, kDetune, pos < 42000 ? 0.0f : 1.0f);
            }
            const int32_t frames =
                static_cast<int32_t>(std::min<int64_t>(sizes.next(), 90000 - pos));
            engine.core.process(in.data() + pos, in.data() + pos, eL.data(), eR.data(), frames,
                                rate);
            model.process(in.data() + pos, in.data() + pos, mL.data(), mR.data(), frames, rate);
            ASSERT_EQ(firstBitDifference(eL.data(), mL.data(), frames), -1) << "at " << pos;
            ASSERT_EQ(firstBitDifference(eR.data(), mR.data(), frames), -1) << "at " << pos;
            pos += frames;
        }
        const int32_t longest =
            (engine.core.writePosition() - engine.core.readPosition(0)) & ResonatorCore::kRingMask;
        EXPECT_GT(longest, rate > 400000.0f ? 16376 : 15000);
        EXPECT_EQ(stateDifference(engine.core, model), "");
    }
}

// With the denormal guard carried from block to block, blocks of odd lengths give exactly the
// output that the model gives for blocks of even length, through glides and a transposition.
TEST_P(ResonatorMatchKernel, CarriedGuardMakesOddBlocksMatchEvenOnes)
{
    CoreDriver engine;
    std::string skipReason;
    if (!useKernel(engine.core, GetParam(), skipReason)) GTEST_SKIP() << skipReason;
    engine.core.setDenormalOffsetCarried(true);
    ReferenceResonator model;
    setBoth(engine, model, kFactoryPrograms[5].values);
    engine.core.reset();
    model.reset();
    constexpr int64_t kLength = 40960;
    const std::vector<float> left = makeSignal(kLength, 41), right = makeSignal(kLength, 42);
    std::vector<float> engineL(kLength), engineR(kLength), modelL(kLength), modelR(kLength);
    for (int64_t pos = 0; pos < kLength; pos += 512)
    {
        if (pos == 8192) model.setParameter(kTune, 0.0f);
        if (pos == 20480) model.setParameter(kTranspose, 0.25f);
        model.process(left.data() + pos, right.data() + pos, modelL.data() + pos,
                      modelR.data() + pos, 512, 44100.0f);
    }
    BlockSizes sizes(99);
    for (int64_t pos = 0; pos < kLength;)
    {
        // Odd lengths, except where a change must land on the model's block start.
        int32_t frames = sizes.next() | 1;
        for (const int64_t change : {8192, 20480})
            if (pos < change && pos + frames > change) frames = static_cast<int32_t>(change - pos);
        frames = static_cast<int32_t>(std::min<int64_t>(frames, kLength - pos));
        if (pos == 8192) engine.set(kTune, 0.0f);
        if (pos == 20480) engine.set(kTranspose, 0.25f);
        engine.core.process(left.data() + pos, right.data() + pos, engineL.data() + pos,
                            engineR.data() + pos, frames, 44100.0f);
        pos += frames;
    }
    EXPECT_EQ(firstBitDifference(engineL.data(), modelL.data(), kLength), -1);
    EXPECT_EQ(firstBitDifference(engineR.data(), modelR.data(), kLength), -1);
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResonatorMatchKernel, ::testing::ValuesIn(kKernels),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
