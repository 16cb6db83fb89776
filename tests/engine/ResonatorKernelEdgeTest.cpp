// Every kernel of the build, called directly where instruction sets answer differently: input
// checks that meet NaN, infinities and the damage threshold in every lane and in the scalar tail,
// and string delays from lengths far outside the ring (beyond the int32 and int64 ranges, where
// float-to-integer conversions disagree between processors), NaN, zero and negative rates, and
// lengths on whole numbers. A kernel must then give what the exact formula gives, or leave the
// delay to it (-1).
#include "EngineTestSupport.h"
#include "ResonatorKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

using resonator::Kernel;

std::vector<const Kernel*> supportedKernels()
{
    std::vector<const Kernel*> kernels;
    for (const Kernel* k : resonator::builtKernels())
        if (resonator::isSupported(*k)) kernels.push_back(k);
    return kernels;
}

TEST(ResonatorKernelEdges, InputChecksCatchDamageInEveryLaneAndTheTail)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const float threshold = resonator::kLargestOrdinary;
    const struct
    {
        float value;
        bool ordinary;
    } samples[] = {
        {kNaN, false},
        {-kNaN, false},
        {kInf, false},
        {-kInf, false},
        {threshold, false},
        {-threshold, false},
        {std::numeric_limits<float>::max(), false},
        {std::nextafter(threshold, 0.0f), true},
        {-std::nextafter(threshold, 0.0f), true},
        {std::numeric_limits<float>::denorm_min(), true},
        {-0.0f, true},
        {1.0f, true},
    };
    for (const Kernel* kernel : supportedKernels())
        for (const auto& s : samples)
            for (int32_t frames = 1; frames <= 2 * kernel->width + 3; ++frames)
                for (int32_t at = 0; at < frames; ++at)
                    for (int channel = 0; channel < 2; ++channel)
                    {
                        std::vector<float> in[2] = {std::vector<float>(frames, 0.25f),
                                                    std::vector<float>(frames, -0.25f)};
                        in[channel][at] = s.value;
                        ASSERT_EQ(kernel->inputsOrdinary(in[0].data(), in[1].data(), frames),
                                  s.ordinary)
                            << kernel->name << ": " << s.value << " at frame " << at << " of "
                            << frames << " on channel " << channel;
                    }
}

// String k's length exactly as the per-sample algorithm forms it, and its delay by the exact
// formula: ceil(length) inside the ring, else nothing a kernel may claim.
double exactLength(int k, double rate, float transposeFactor, float tune, float detune)
{
    const float ratio = transposeFactor * tune;
    return (rate + rate * 0.015 * ResonatorCore::kDetuneSpread[k] * detune) /
           (ratio * ResonatorCore::kBaseFrequency[k]);
}

struct DelayCase
{
    const char* what;
    double rate;
    float transposeFactor;
    float tuneFrom, tuneTo;
    float detuneFrom, detuneTo;
    bool mostDecided; // ordinary lengths: the kernel must decide nearly all of them itself
};

TEST(ResonatorKernelEdges, StringDelaysAreExactOrLeftToTheFormula)
{
    constexpr int32_t kFrames = 256;
    constexpr int32_t kGroups = kFrames / resonator::kDelayGroup;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double base0 = ResonatorCore::kBaseFrequency[0];
    const DelayCase cases[] = {
        {"ordinary glide", 44100.0, 1.0f, 0.95f, 1.05f, 0.0f, 1.0f, true},
        {"falling glide, high transposition", 48000.0, 2.0f, 1.02f, 0.98f, 1.0f, 0.2f, true},
        {"string 0 exactly 400 samples", 44000.0, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, false},
        {"lengths through whole numbers", 44000.0, 1.0f, 0.999f, 1.001f, 0.0f, 0.05f, false},
        {"just beyond 2^31 samples", base0 * (0x1p31 + 100.3), 1.0f, 1.0f, 1.0001f, 0.0f, 0.0f,
         false},
        {"just beyond 2^32 samples", base0 * (0x1p32 + 100.3), 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, false},
        {"just beyond 2^32 samples, gliding", base0 * (0x1p32 + 100.3), 1.0f, 1.0f, 1.0001f, 0.0f,
         0.0f, false},
        {"2^32 samples, all strings", base0 * (0x1p32 + 300.6), 1.0f, 0.99f, 1.0f, 0.0f, 1.0f,
         false},
        {"just beyond 2^64 samples", base0 * (0x1p64 + 8192.0), 1.0f, 1.0f, 1.0f, 0.0f, 0.0f,
         false},
        {"beyond 2^64, on whole multiples", base0 * 0x1p70, 1.0f, 1.0f, 1.0f, 0.5f, 0.5f, false},
        {"NaN rate", kNaN, 1.0f, 0.95f, 1.05f, 0.0f, 1.0f, false},
        {"infinite rate", std::numeric_limits<double>::infinity(), 1.0f, 1.0f, 1.0f, 0.0f, 0.0f,
         false},
        {"zero rate", 0.0, 1.0f, 0.95f, 1.05f, 0.0f, 1.0f, false},
        {"negative rate", -44100.0, 1.0f, 0.95f, 1.05f, 0.0f, 1.0f, false},
        {"tiny rate: strings under one sample", 50.0, 1.0f, 1.0f, 1.05f, 0.0f, 1.0f, false},
    };
    for (const Kernel* kernel : supportedKernels())
        for (const DelayCase& c : cases)
            for (int32_t writePos : {0, 9000, ResonatorCore::kRingLength - 5})
            {
                SCOPED_TRACE(std::string(kernel->name) + ", " + c.what + ", writing at " +
                             std::to_string(writePos));
                std::vector<float> tune(kFrames);
                std::vector<float> detune(kFrames);
                for (int32_t i = 0; i < kFrames; ++i)
                {
                    const float t = static_cast<float>(i) / (kFrames - 1);
                    tune[i] = c.tuneFrom + (c.tuneTo - c.tuneFrom) * t;
                    detune[i] = c.detuneFrom + (c.detuneTo - c.detuneFrom) * t;
                }
                resonator::LengthTerms terms;
                terms.transposeFactor = c.transposeFactor;
                terms.sampleRate = c.rate;
                for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
                {
                    terms.spreadTerm[k] = c.rate * 0.015 * ResonatorCore::kDetuneSpread[k];
                    terms.inverseBase[k] = 1.0 / ResonatorCore::kBaseFrequency[k];
                }
                std::vector<int32_t> delays(ResonatorCore::kNumStrings * kFrames, 12345);
                std::vector<int32_t> starts(ResonatorCore::kNumStrings * kGroups, 12345);
                const resonator::DelayRange range =
                    kernel->stringDelays(terms, tune.data(), detune.data(), kFrames, writePos,
                                         delays.data(), kFrames, starts.data());

                int32_t smallest = ResonatorCore::kRingLength;
                int32_t largest = std::numeric_limits<int32_t>::min();
                int32_t decided = 0;
                for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
                    for (int32_t i = 0; i < kFrames; ++i)
                    {
                        const int32_t delay = delays[k * kFrames + i];
                        smallest = std::min(smallest, delay);
                        largest = std::max(largest, delay);
                        if (delay == -1) continue;
                        ++decided;
                        const double length =
                            exactLength(k, c.rate, c.transposeFactor, tune[i], detune[i]);
                        ASSERT_TRUE(length > 1.0 && length < ResonatorCore::kRingMask)
                            << "string " << k << " frame " << i << ": delay " << delay
                            << " for a length of " << length;
                        ASSERT_EQ(delay, static_cast<int32_t>(std::ceil(length)))
                            << "string " << k << " frame " << i << ", length " << length;
                    }
                // The largest delay counts only where every delay is decided.
                EXPECT_EQ(range.smallest, smallest);
                if (smallest >= 1)
                {
                    EXPECT_EQ(range.largest, largest);
                }
                if (c.mostDecided)
                {
                    EXPECT_GT(decided, ResonatorCore::kNumStrings * kFrames * 9 / 10);
                }

                // A group start is given only where all the group's reads of a string lie one
                // after another in the ring, and says where.
                for (int32_t m = 0; m < kGroups; ++m)
                    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
                    {
                        const int32_t start = starts[m * ResonatorCore::kNumStrings + k];
                        if (start == -1) continue;
                        const int32_t a = m * resonator::kDelayGroup;
                        const int32_t delay = delays[k * kFrames + a];
                        for (int32_t i = a; i < a + resonator::kDelayGroup; ++i)
                            ASSERT_EQ(delays[k * kFrames + i], delay) << "string " << k;
                        ASSERT_GE(delay, 1);
                        EXPECT_EQ(start, (writePos + a - delay) & ResonatorCore::kRingMask);
                        EXPECT_LE(start + resonator::kDelayGroup, ResonatorCore::kRingLength);
                    }
            }
}

} // namespace
