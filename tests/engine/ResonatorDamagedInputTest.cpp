// Damaged input: NaN, infinities, and samples far too large to be sound (FLT_MAX or 1.8e38 on
// both channels, whose mono sum overflows). The engine takes each such sample as silence on its
// channel. So an engine fed the damage and a twin fed silence in its place must give the same
// output bit for bit, in the damaged block and after it, and keep sounding: under ordinary
// settings, at Mix 0, at Output 0, bypassed, across a Transpose change, while gliding, and with
// the damage inside a long block.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>

namespace
{

using namespace enginetest;

struct Damage
{
    const char* name;
    float left;
    float right;
    bool leftDamaged;
    bool rightDamaged;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const Damage kDamages[] = {
    {"NaN", kNaN, kNaN, true, true},
    {"+inf", kInf, kInf, true, true},
    {"-inf", -kInf, -kInf, true, true},
    {"FLT_MAX", FLT_MAX, FLT_MAX, true, true},
    {"1.8e38", 1.8e38f, 1.8e38f, true, true},
    {"-FLT_MAX left, 0.5 right", -FLT_MAX, 0.5f, true, false},
    {"0.25 left, NaN right", 0.25f, kNaN, false, true},
    {"2^100 both", 0x1p100f, -0x1p100f, true, true},
};

struct Setting
{
    const char* name;
    std::function<void(CoreDriver&)> before; // before the damaged block
    std::function<void(CoreDriver&)> after;  // right after it
};

const Setting kSettings[] = {
    {"Default", [](CoreDriver&) {}, [](CoreDriver&) {}},
    {"Mix 0", [](CoreDriver& d) { d.set(kMix, 0.0f); }, [](CoreDriver&) {}},
    {"Output 0", [](CoreDriver& d) { d.set(kOutput, 0.0f); }, [](CoreDriver&) {}},
    {"Bypass", [](CoreDriver& d) { d.set(kBypass, 1.0f); }, [](CoreDriver&) {}},
    {"Transpose change after", [](CoreDriver&) {}, [](CoreDriver& d) { d.set(kTranspose, 0.75f); }},
    {"gliding",
     [](CoreDriver& d)
     {
         d.set(kTune, 1.0f);
         d.set(kDetune, 1.0f);
     },
     [](CoreDriver&) {}},
};

bool allFinite(const std::vector<float>& v)
{
    for (float x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

bool stringsFinite(const ResonatorCore& core)
{
    for (int k = 0; k < ResonatorCore::kNumStrings; ++k)
    {
        if (!std::isfinite(core.dampState(k))) return false;
        for (int32_t p = 0; p < ResonatorCore::kRingLength; ++p)
            if (!std::isfinite(core.ringValue(k, p))) return false;
    }
    return true;
}

class ResonatorDamagedInput : public ::testing::TestWithParam<const char*>
{
};

TEST_P(ResonatorDamagedInput, DamageIsSilenceAndTheStringsKeepSounding)
{
    constexpr float kRate = 44100.0f;
    // Blocks: ordinary, then the damaged one (long enough to be cleaned in several pieces), then
    // two seconds of ordinary input.
    const int32_t blocks[] = {1000, 4096, 512};
    const int32_t damagedBlock = 1;
    const int32_t damageAt = 1000 + 2500;
    const int32_t tail = 2 * static_cast<int32_t>(kRate);
    const size_t total = 1000 + 4096 + 512 + tail;

    for (const Setting& setting : kSettings)
        for (const Damage& damage : kDamages)
        {
            SCOPED_TRACE(std::string(setting.name) + ", " + damage.name);
            CoreDriver damaged;
            CoreDriver clean;
            std::string skipReason;
            if (!useKernel(damaged.core, GetParam(), skipReason) ||
                !useKernel(clean.core, GetParam(), skipReason))
                GTEST_SKIP() << skipReason;
            for (CoreDriver* d : {&damaged, &clean})
            {
                d->apply(kFactoryPrograms[4].values); // a long decay
                d->core.reset();
            }

            std::vector<float> left = makeSignal(total, 31, 0.7f);
            std::vector<float> right = makeSignal(total, 32, 0.7f);
            std::vector<float> cleanLeft = left;
            std::vector<float> cleanRight = right;
            left[damageAt] = damage.left;
            right[damageAt] = damage.right;
            cleanLeft[damageAt] = damage.leftDamaged ? 0.0f : damage.left;
            cleanRight[damageAt] = damage.rightDamaged ? 0.0f : damage.right;

            size_t pos = 0;
            auto run = [&](int32_t frames)
            {
                std::vector<float> dl(frames), dr(frames), cl(frames), cr(frames);
                damaged.core.process(left.data() + pos, right.data() + pos, dl.data(), dr.data(),
                                     frames, kRate);
                clean.core.process(cleanLeft.data() + pos, cleanRight.data() + pos, cl.data(),
                                   cr.data(), frames, kRate);
                EXPECT_EQ(firstBitDifference(dl.data(), cl.data(), frames), -1) << "at " << pos;
                EXPECT_EQ(firstBitDifference(dr.data(), cr.data(), frames), -1) << "at " << pos;
                EXPECT_TRUE(allFinite(dl) && allFinite(dr)) << "at " << pos;
                pos += frames;
                return std::make_pair(dl, dr);
            };

            for (int32_t b = 0; b < 3; ++b)
            {
                if (b == damagedBlock)
                    for (CoreDriver* d : {&damaged, &clean})
                        setting.before(*d);
                run(blocks[b]);
                if (b == damagedBlock)
                    for (CoreDriver* d : {&damaged, &clean})
                        setting.after(*d);
            }

            // Back to sound settings: ordinary input excites the strings again, and two seconds
            // later the wet side still rings.
            for (CoreDriver* d : {&damaged, &clean})
            {
                d->set(kMix, 1.0f);
                d->set(kOutput, 0.5f);
                d->set(kBypass, 0.0f);
            }
            const auto [outL, outR] = run(tail);
            double energy = 0.0;
            for (int32_t i = tail - 4410; i < tail; ++i)
                energy += double(outL[i]) * outL[i] + double(outR[i]) * outR[i];
            EXPECT_GT(energy, 1e-3);
            EXPECT_TRUE(stringsFinite(damaged.core));
        }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResonatorDamagedInput, ::testing::ValuesIn(kKernels),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
