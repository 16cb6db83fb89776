// Audible behaviour of the resonator: string periods, the path of an impulse, the dry path at
// Mix 0, Bypass, empty blocks, the ring limit, resets and transposition changes, bad values.
#include "EngineTestSupport.h"
#include "ResonatorKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using namespace enginetest;

constexpr int32_t kMask = ResonatorCore::kRingMask;

std::array<int32_t, 12> periods(const ResonatorCore& core)
{
    std::array<int32_t, 12> p{};
    for (int k = 0; k < 12; ++k)
        p[k] = (core.writePosition() - core.readPosition(k)) & kMask;
    return p;
}

void startWith(CoreDriver& d, const std::array<float, 8>& values)
{
    d.apply(values);
    d.core.reset();
}

void processSilence(ResonatorCore& core, int32_t frames, float rate)
{
    std::vector<float> l(frames, 0.0f), r(frames, 0.0f);
    core.process(l.data(), r.data(), l.data(), r.data(), frames, rate);
}

TEST(ResonatorBehaviour, StringPeriodsAreWholeSamplesForTheRate)
{
    const std::array<int32_t, 12> at44k{401, 379, 358, 338, 319, 301, 284, 268, 253, 239, 226, 213};
    const std::array<int32_t, 12> at48k{437, 412, 389, 367, 347, 327, 309, 292, 275, 260, 245, 232};
    CoreDriver d;
    startWith(d, kFactoryPrograms[0].values);
    processSilence(d.core, 10, 44100.0f);
    EXPECT_EQ(periods(d.core), at44k);
    // A rate change takes effect at the next sample, without a reset.
    processSilence(d.core, 1, 48000.0f);
    EXPECT_EQ(periods(d.core), at48k);
    // Transposition up an octave halves the periods (rounded up to whole samples).
    d.set(kTranspose, 0.75f);
    processSilence(d.core, 3, 48000.0f);
    EXPECT_EQ(periods(d.core)[0], 219);
    EXPECT_EQ(periods(d.core)[11], 116);
}

TEST(ResonatorBehaviour, LeftImpulseReturnsOnTheRightFirst)
{
    const int32_t frames = 8000;
    // Impulse response at Mix 1 for one Decay value; answers the tail energy after 0.1 s.
    auto impulse = [frames](float decay, long& firstLeft, long& firstRight)
    {
        CoreDriver d;
        auto values = kFactoryPrograms[0].values;
        values[kMix] = 1.0f;
        values[kDecay] = decay;
        startWith(d, values);
        std::vector<float> inL(frames, 0.0f), inR(frames, 0.0f), outL(frames), outR(frames);
        inL[0] = 1.0f;
        d.core.process(inL.data(), inR.data(), outL.data(), outR.data(), frames, 44100.0f);
        auto firstLoud = [](const std::vector<float>& v)
        {
            for (size_t i = 0; i < v.size(); ++i)
                if (std::fabs(v[i]) > 1e-4f) return static_cast<long>(i);
            return -1L;
        };
        firstLeft = firstLoud(outL);
        firstRight = firstLoud(outR);
        double tail = 0.0;
        for (int32_t i = 4410; i < frames; ++i)
            tail += double(outL[i]) * outL[i] + double(outR[i]) * outR[i];
        return tail;
    };
    long left = 0;
    long right = 0;
    const double shortTail = impulse(0.25f, left, right);
    EXPECT_EQ(right, 213); // string 11 and the tap at its read position
    EXPECT_EQ(left, 226);  // string 10
    const double longTail = impulse(0.9f, left, right);
    EXPECT_EQ(right, 213);
    EXPECT_EQ(left, 226);
    EXPECT_GT(shortTail, 0.0);
    EXPECT_GT(longTail, 4.0 * shortTail);
}

TEST(ResonatorBehaviour, MixZeroPassesTheDryInputWithTheAlternatingOffset)
{
    CoreDriver d;
    auto values = kFactoryPrograms[4].values; // long decay, strings full of sound
    startWith(d, values);
    const std::vector<float> loud = makeSignal(20000, 3, 0.9f);
    std::vector<float> out(20000);
    d.core.process(loud.data(), loud.data(), out.data(), out.data(), 20000, 44100.0f);

    d.set(kMix, 0.0f);
    d.set(kOutput, 1.0f); // gain 4
    const std::vector<float> in = makeSignal(1000, 9, 0.5f);
    std::vector<float> outL(1000), outR(1000);
    d.core.process(in.data(), in.data(), outL.data(), outR.data(), 1000, 44100.0f);
    float offset = 1e-9f;
    for (size_t i = 0; i < in.size(); ++i)
    {
        const float expected = (in[i] + offset) * 4.0f;
        ASSERT_EQ(outL[i], expected) << i;
        ASSERT_EQ(outR[i], expected) << i;
        offset = -offset;
    }
}

TEST(ResonatorBehaviour, BypassStopsOnlyTheExcitation)
{
    // Two identical engines; once bypassed, one gets loud input and one silence. The strings
    // must receive nothing in either case, so the rings stay identical, while the tail rings on.
    CoreDriver a;
    CoreDriver b;
    startWith(a, kFactoryPrograms[4].values);
    startWith(b, kFactoryPrograms[4].values);
    const std::vector<float> loud = makeSignal(30000, 5, 0.9f);
    std::vector<float> out(30000);
    a.core.process(loud.data(), loud.data(), out.data(), out.data(), 30000, 48000.0f);
    b.core.process(loud.data(), loud.data(), out.data(), out.data(), 30000, 48000.0f);

    a.set(kBypass, 0.5f); // 0.5 already counts as bypassed
    b.set(kBypass, 1.0f);
    a.set(kMix, 1.0f);
    b.set(kMix, 1.0f);
    const int32_t frames = 4800;
    std::vector<float> noise = makeSignal(frames, 11, 0.9f);
    std::vector<float> aL(frames), aR(frames), bL(frames), bR(frames), zero(frames, 0.0f);
    a.core.process(noise.data(), noise.data(), aL.data(), aR.data(), frames, 48000.0f);
    b.core.process(zero.data(), zero.data(), bL.data(), bR.data(), frames, 48000.0f);
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; p += 7)
            ASSERT_EQ(a.core.ringValue(k, p), b.core.ringValue(k, p)) << k << " " << p;
    // Mix 1: the output is only the wet tail, still audible a tenth of a second later, and the
    // same whatever the input.
    double energy = 0.0;
    for (int32_t i = frames - 480; i < frames; ++i)
        energy += double(bL[i]) * bL[i] + double(bR[i]) * bR[i];
    EXPECT_GT(energy, 1e-6);
    EXPECT_EQ(firstBitDifference(aL.data(), bL.data(), frames), -1);

    // Switching Bypass off excites the strings again, without any reset.
    b.set(kBypass, 0.0f);
    const int32_t positionBefore = b.core.writePosition();
    b.core.process(noise.data(), noise.data(), bL.data(), bR.data(), frames, 48000.0f);
    EXPECT_EQ(b.core.writePosition(), (positionBefore + frames) & kMask);
    EXPECT_NE(firstBitDifference(aL.data(), bL.data(), frames), -1);
}

TEST(ResonatorBehaviour, EmptyOrNegativeBlocksChangeNothing)
{
    CoreDriver d;
    startWith(d, kFactoryPrograms[5].values);
    d.set(kTune, 0.9f); // gliding
    const std::vector<float> in = makeSignal(5000, 2);
    std::vector<float> out(5000);
    d.core.process(in.data(), in.data(), out.data(), out.data(), 5000, 44100.0f);
    d.set(kTranspose, 0.25f); // pending until a block with frames runs

    const int32_t writePos = d.core.writePosition();
    const float tune = d.core.tuneCurrent();
    const float detune = d.core.detuneCurrent();
    std::vector<float> ring;
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; ++p)
            ring.push_back(d.core.ringValue(k, p));
    float dummy = 0.0f;
    d.core.process(&dummy, &dummy, &dummy, &dummy, 0, 44100.0f);
    d.core.process(&dummy, &dummy, &dummy, &dummy, -5, 44100.0f);
    EXPECT_EQ(d.core.writePosition(), writePos);
    EXPECT_EQ(d.core.tuneCurrent(), tune);
    EXPECT_EQ(d.core.detuneCurrent(), detune);
    size_t i = 0;
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; ++p, ++i)
            ASSERT_EQ(d.core.ringValue(k, p), ring[i]);
    EXPECT_EQ(dummy, 0.0f);
}

TEST(ResonatorBehaviour, LowestTranspositionFitsTheRingAt192k)
{
    CoreDriver d;
    startWith(d, {0.5f, 0.25f, 0.5f, 0.25f, 0.0f, 0.0f, 1.0f, 0.0f});
    processSilence(d.core, 2, 192000.0f);
    const auto p = periods(d.core);
    for (int k = 0; k < 12; ++k)
    {
        EXPECT_GT(p[k], 0) << k;
        EXPECT_LT(p[k], 16384) << k;
    }
    // String 0 at -25 semitones and full Detune: about 0.0392 s.
    EXPECT_NEAR(p[0], 0.0392 * 192000.0, 20.0);
}

TEST(ResonatorBehaviour, ResetSilencesTheStringsAndGlidesJump)
{
    CoreDriver d;
    startWith(d, kFactoryPrograms[4].values);
    const std::vector<float> loud = makeSignal(20000, 4, 0.9f);
    std::vector<float> out(20000);
    d.core.process(loud.data(), loud.data(), out.data(), out.data(), 20000, 44100.0f);

    // Changed while suspended: takes full effect at once, without a glide.
    d.set(kTune, 0.0f);
    d.set(kDetune, 1.0f);
    d.core.reset();
    d.core.reset(); // suspend then resume: same as one reset
    EXPECT_EQ(d.core.tuneCurrent(), d.core.tuneTarget());
    EXPECT_EQ(d.core.detuneCurrent(), 1.0f);

    // The wet side is silent until new input reaches the strings; the dry side passes at once.
    d.set(kMix, 1.0f);
    std::vector<float> l(300, 0.0f), r(300, 0.0f);
    d.core.process(l.data(), r.data(), l.data(), r.data(), 300, 44100.0f);
    for (float v : l)
        ASSERT_LT(std::fabs(v), 1e-6f);
    d.set(kMix, 0.0f);
    std::vector<float> in(10, 0.25f), outL(10), outR(10);
    d.core.process(in.data(), in.data(), outL.data(), outR.data(), 10, 44100.0f);
    EXPECT_NEAR(outL[0], 0.25f, 1e-6f);
}

TEST(ResonatorBehaviour, TranspositionStepClearsOnTheAudioThreadAndOnlyOnANewStep)
{
    CoreDriver d;
    startWith(d, kFactoryPrograms[0].values);
    const std::vector<float> loud = makeSignal(10000, 6, 0.9f);
    std::vector<float> out(10000);
    d.core.process(loud.data(), loud.data(), out.data(), out.data(), 10000, 44100.0f);
    auto ringEnergy = [&d]
    {
        double e = 0.0;
        for (int k = 0; k < 12; ++k)
            for (int32_t p = 0; p < 16384; ++p)
                e += std::fabs(d.core.ringValue(k, p));
        return e;
    };
    ASSERT_GT(ringEnergy(), 1.0);

    // 0.51 lies in the same step as 0.5: nothing is recorded, nothing cleared.
    EXPECT_FALSE(d.core.setTransposeFactor(orv::transposeFactorFor(orv::transposeStepFor(0.51f))));
    const float feedbackBefore = d.core.feedback();
    d.set(kTranspose, 0.51f);
    processSilence(d.core, 1, 44100.0f);
    EXPECT_GT(ringEnergy(), 1.0);
    EXPECT_EQ(d.core.feedback(), feedbackBefore);

    // A new step records the factor and the feedback at once, but leaves the rings alone until
    // the next block starts on the audio thread.
    d.set(kTranspose, 0.52f);
    EXPECT_FLOAT_EQ(d.core.transposeFactor(), std::pow(2.0f, 1.0f / 12.0f));
    EXPECT_NE(d.core.feedback(), feedbackBefore);
    EXPECT_GT(ringEnergy(), 1.0);
    processSilence(d.core, 1, 44100.0f);
    // All that remains is the one position written by that sample.
    const int32_t written = (d.core.writePosition() - 1) & kMask;
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; ++p)
        {
            if (p != written)
            {
                ASSERT_EQ(d.core.ringValue(k, p), 0.0f) << k << " " << p;
            }
        }
}

TEST(ResonatorBehaviour, BadValuesNeverPoisonTheStrings)
{
    // Out-of-range and NaN values must sound exactly like the value clamped to 0..1 (NaN as 0).
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    CoreDriver bad;
    CoreDriver clamped;
    startWith(bad, {5.0f, -1.0f, nan, -inf, -7.0f, 1e30f, inf, nan});
    startWith(clamped, {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f});
    bad.set(kMix, 2.0f);
    clamped.set(kMix, 1.0f);
    const std::vector<float> in = makeSignal(30000, 8, 0.9f);
    std::vector<float> bL(30000), bR(30000), cL(30000), cR(30000);
    bad.core.process(in.data(), in.data(), bL.data(), bR.data(), 30000, 44100.0f);
    clamped.core.process(in.data(), in.data(), cL.data(), cR.data(), 30000, 44100.0f);
    EXPECT_EQ(firstBitDifference(bL.data(), cL.data(), 30000), -1);
    EXPECT_EQ(firstBitDifference(bR.data(), cR.data(), 30000), -1);
    for (size_t i = 0; i < bL.size(); ++i)
        ASSERT_TRUE(std::isfinite(bL[i]) && std::isfinite(bR[i])) << i;
    // The raw values stay what was set; only the engine values are clamped.
    EXPECT_EQ(bad.params[kOutput], 5.0f);
    EXPECT_TRUE(std::isnan(bad.params[kDecay]));
}

// The fastest kernel the processor runs is chosen for every engine; tests and benchmarks can force
// another by name, and a name the processor cannot run (or that does not exist) changes nothing.
TEST(ResonatorBehaviour, KernelsAreChosenByWhatTheProcessorRuns)
{
    const auto kernels = resonator::builtKernels();
    ASSERT_FALSE(kernels.empty());
    EXPECT_TRUE(resonator::isSupported(*kernels.back())); // the build's baseline
    EXPECT_EQ(resonator::findKernel("portable"), &resonator::kPortableKernel); // on every processor
    const resonator::Kernel* best = nullptr;
    for (const resonator::Kernel* kernel : kernels)
    {
        EXPECT_EQ(resonator::findKernel(kernel->name),
                  resonator::isSupported(*kernel) ? kernel : nullptr)
            << kernel->name;
        if (best == nullptr && resonator::isSupported(*kernel)) best = kernel;
    }
    // The test runs without ORV_KERNEL (see CMakeLists.txt).
    EXPECT_EQ(&resonator::bestKernel(), best);

    ResonatorCore core;
    EXPECT_STREQ(core.kernelName(), best->name);
    EXPECT_FALSE(core.useKernel("avx1024"));
    EXPECT_STREQ(core.kernelName(), best->name);
    EXPECT_TRUE(core.useKernel("portable"));
    EXPECT_STREQ(core.kernelName(), "portable");
    for (const resonator::Kernel* kernel : kernels)
        EXPECT_EQ(core.useKernel(kernel->name), resonator::isSupported(*kernel)) << kernel->name;
}

// ORV_KERNEL's choice: a kernel this build has and the processor runs is taken; anything else
// leaves the fastest one and says why in one line.
TEST(ResonatorBehaviour, KernelRequestsAreTakenOrRefusedWithAReason)
{
    std::string complaint;
    const resonator::Kernel* fastest = nullptr;
    for (const resonator::Kernel* kernel : resonator::builtKernels())
        if (fastest == nullptr && resonator::isSupported(*kernel)) fastest = kernel;
    ASSERT_NE(fastest, nullptr);

    const struct
    {
        const char* request;
        const char* chosen; // null: the fastest
        bool complains;
    } cases[] = {
        {nullptr, nullptr, false},  {"", nullptr, false},    {"portable", "portable", false},
        {"avx1024", nullptr, true}, {"SSE2", nullptr, true}, {"portable ", nullptr, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.request == nullptr ? "(unset)" : c.request);
        complaint = "stale";
        const resonator::Kernel& chosen = resonator::chooseKernel(c.request, complaint);
        EXPECT_STREQ(chosen.name, c.chosen != nullptr ? c.chosen : fastest->name);
        EXPECT_EQ(!complaint.empty(), c.complains) << complaint;
        EXPECT_EQ(complaint.find('\n'), std::string::npos);
        if (c.complains)
        {
            EXPECT_NE(complaint.find(fastest->name), std::string::npos) << complaint;
        }
    }
    // Every kernel of the build by name: taken where the processor runs it, else refused.
    for (const resonator::Kernel* kernel : resonator::builtKernels())
    {
        const resonator::Kernel& chosen = resonator::chooseKernel(kernel->name, complaint);
        EXPECT_EQ(&chosen, resonator::isSupported(*kernel) ? kernel : fastest) << kernel->name;
        EXPECT_EQ(complaint.empty(), resonator::isSupported(*kernel)) << kernel->name;
    }
}

} // namespace
