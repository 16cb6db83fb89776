// The built plug-in as a host sees it, loaded through its exported entry point: its audio against
// the reference model bit for bit, and its parameter texts and global parameters.
#include "EngineTestSupport.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace
{

using namespace enginetest;
using Bytes = std::vector<unsigned char>;

float chunkValue(const Bytes& chunk, int program, int k)
{
    float v;
    std::memcpy(&v, chunk.data() + 32 + 56 * program + 24 + 4 * k, 4);
    return v;
}

// Makes stored program `program` current the way a host restores a session: the chunk with that
// program as the current one.
void selectThroughChunk(const LoadedPlugin& plugin, int program)
{
    Bytes chunk = plugin.chunk();
    const int32_t index = program;
    std::memcpy(chunk.data() + 12, &index, 4);
    ASSERT_EQ(plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()),
              0);
}

std::string text(const LoadedPlugin& plugin, VstInt32 opcode, VstInt32 index)
{
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    plugin.dispatch(opcode, index, 0, buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

class EffectMatch : public ::testing::TestWithParam<std::tuple<int, float>>
{
};

TEST_P(EffectMatch, ProcessingMatchesModelBitForBit)
{
    const auto [programIndex, sampleRate] = GetParam();
    const FactoryProgram& program = kFactoryPrograms[programIndex];
    SCOPED_TRACE(std::string(program.name) + " at " + std::to_string(sampleRate) + " Hz");

    RecordingHost host;
    LoadedPlugin plugin(host);
    AEffect* effect = plugin.effect();
    ASSERT_NE(effect, nullptr);

    // A new instance applies "Default" and resets; the host then sets its rate and resumes.
    ReferenceResonator model;
    for (int32_t i = 0; i < 8; ++i)
        model.setParameter(i, kFactoryPrograms[0].values[i]);
    model.reset();
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    plugin.dispatch(effMainsChanged, 0, 1);
    model.reset();
    selectThroughChunk(plugin, programIndex);
    for (int32_t i = 0; i < 8; ++i)
        model.setParameter(i, program.values[i]);

    struct Change
    {
        int64_t at;
        int32_t index; // -1: suspend and resume; -2: sample-rate change without a reset
        float value;
    };
    const Change changes[] = {
        {6000, kDecay, 0.8f},
        {9000, kTune, 0.1f},
        {11000, kDetune, 1.0f},
        {16000, kTune, 0.7f},
        {20000, kTranspose, 0.6f},
        {23000, kBypass, 1.0f},
        {27000, kBypass, 0.0f},
        {29000, kMix, 1.0f},
        {31000, kMix, 0.0f},
        {33000, kOutput, 1.0f},
        {35000, kOutput, 0.0f},
        {37000, -1, 0.0f},
        {38000, kOutput, 0.5f},
        {38000, kMix, 0.4f},
        {41000, -2, 0.0f},
        {44000, kDamp, 0.9f},
        {47000, kTranspose, program.values[kTranspose]},
    };
    constexpr int64_t kLength = 50000;
    const std::vector<float> left = makeSignal(kLength, 31 + programIndex);
    const std::vector<float> right = makeSignal(kLength, 41 + programIndex, 0.3f);
    std::vector<float> pL(4096), pR(4096), mL(4096), mR(4096);
    const int32_t sizes[] = {1, 4096, 3, 100, 512, 17, 2048, 64, 1000, 2};
    float rate = sampleRate;
    size_t next = 0;
    int64_t pos = 0;
    for (int block = 0; pos < kLength; ++block)
    {
        for (; next < std::size(changes) && changes[next].at <= pos; ++next)
        {
            const Change& c = changes[next];
            if (c.index == -1)
            {
                plugin.dispatch(effMainsChanged, 0, 0);
                plugin.dispatch(effMainsChanged, 0, 1);
                model.reset();
            }
            else if (c.index == -2)
            {
                rate = rate == 44100.0f ? 48000.0f : 44100.0f;
                plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            }
            else
            {
                plugin.setParameter(c.index, c.value);
                model.setParameter(c.index, c.value);
            }
        }
        const int32_t frames =
            static_cast<int32_t>(std::min<int64_t>(sizes[block % 10], kLength - pos));
        // Every other block in place, as hosts that reuse their buffers do.
        const bool inPlace = block % 2 == 1;
        std::copy(left.begin() + pos, left.begin() + pos + frames, pL.begin());
        std::copy(right.begin() + pos, right.begin() + pos + frames, pR.begin());
        std::vector<float> outL(frames), outR(frames);
        float* inputs[2] = {pL.data(), pR.data()};
        float* outputs[2] = {inPlace ? pL.data() : outL.data(), inPlace ? pR.data() : outR.data()};
        effect->processReplacing(effect, inputs, outputs, frames);
        model.process(left.data() + pos, right.data() + pos, mL.data(), mR.data(), frames, rate);
        const long dL = firstBitDifference(outputs[0], mL.data(), frames);
        const long dR = firstBitDifference(outputs[1], mR.data(), frames);
        ASSERT_EQ(dL, -1) << "left differs at sample " << pos + dL;
        ASSERT_EQ(dR, -1) << "right differs at sample " << pos + dR;
        pos += frames;
    }
}

INSTANTIATE_TEST_SUITE_P(FactoryPrograms, EffectMatch,
                         ::testing::Combine(::testing::Range(0, 6),
                                            ::testing::Values(44100.0f, 48000.0f, 96000.0f,
                                                              192000.0f)));

TEST(EffectParameters, NamesAndLabelsKeepTheirBlanks)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    const char* names[8] = {" Output ",    " Mix ",  " Decay ",  " Damp ",
                            " Transpose ", " Tune ", " Detune ", " Bypass "};
    const char* labels[8] = {"   dB   ", "    %    ", "    %    ", "    %    ",
                             " st ",     "  cents ",  "    %   ",  "  "};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(text(plugin, effGetParamName, i), names[i]) << i;
        EXPECT_EQ(text(plugin, effGetParamLabel, i), labels[i]) << i;
    }
    // Outside 0..7 the host's buffer stays as it was.
    for (VstInt32 index : {8, -1})
    {
        EXPECT_EQ(text(plugin, effGetParamName, index), std::string(64, 'x'));
        EXPECT_EQ(text(plugin, effGetParamLabel, index), std::string(64, 'x'));
        EXPECT_EQ(text(plugin, effGetParamDisplay, index), std::string(64, 'x'));
    }
}

TEST(EffectParameters, DisplayTexts)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    struct Case
    {
        VstInt32 index;
        float value;
        const char* shown;
    };
    const Case cases[] = {
        {kOutput, 0.5f, "0.000000"},    {kOutput, 1.0f, "12.04120"},
        {kOutput, 0.0f, "-oo"},         {kMix, 0.25f, "25.00000"},
        {kDecay, 0.25f, "25.00000"},    {kDamp, 0.05f, "5.000000"},
        {kTranspose, 0.5f, "0.000000"}, {kTranspose, 0.75f, "12.00000"},
        {kTranspose, 0.0f, "-24.0000"}, {kTune, 0.0f, "-100.000"},
        {kTune, 1.0f, "100.0000"},      {kDetune, 1.0f, "100.0000"},
        {kBypass, 0.5f, " bypassed "},  {kBypass, 0.49f, " process "},
    };
    for (const Case& c : cases)
    {
        plugin.setParameter(c.index, c.value);
        EXPECT_EQ(text(plugin, effGetParamDisplay, c.index), c.shown)
            << "parameter " << c.index << " at " << c.value;
    }
    // Values outside 0..1 are kept, shown and saved clamped, as the sound uses them.
    plugin.setParameter(kDecay, 1.5f);
    EXPECT_EQ(plugin.getParameter(kDecay), 1.0f);
    EXPECT_EQ(text(plugin, effGetParamDisplay, kDecay), "100.0000");
    plugin.setParameter(kOutput, 3.0f);
    EXPECT_EQ(plugin.getParameter(kOutput), 1.0f);
    EXPECT_EQ(text(plugin, effGetParamDisplay, kOutput), "12.04120");
    EXPECT_EQ(plugin.getParameter(8), 0.0f);
    EXPECT_EQ(plugin.getParameter(-1), 0.0f);
}

// Values no parameter can have, from a host's setParameter or inside a chunk it loads: what the
// plug-in then reports, shows and saves is the value clamped to 0..1, and a NaN leaves the value
// it would have replaced.
TEST(EffectParameters, ValuesOutsideTheRangeAreClampedOnEveryWayIn)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float given;
        float kept; // NaN: the value before stays
    };
    const Case cases[] = {{nan, nan},      {-nan, nan},      {inf, 1.0f},        {-inf, 0.0f},
                          {-5.0f, 0.0f},   {5.0f, 1.0f},     {1.0000001f, 1.0f}, {-1e-45f, 0.0f},
                          {FLT_MAX, 1.0f}, {-FLT_MAX, 0.0f}, {0.3f, 0.3f},       {-0.0f, -0.0f},
                          {1e-45f, 1e-45f}};
    auto bits = [](float v)
    {
        uint32_t b;
        std::memcpy(&b, &v, 4);
        return b;
    };
    auto inRange = [](const Bytes& chunk)
    {
        for (int p = 0; p < 6; ++p)
            for (int k = 0; k < 8; ++k)
                if (!(chunkValue(chunk, p, k) >= 0.0f && chunkValue(chunk, p, k) <= 1.0f))
                    return false;
        return true;
    };

    RecordingHost host;
    LoadedPlugin plugin(host), reference(host);
    for (VstInt32 k = 0; k < 8; ++k)
        for (const Case& c : cases)
        {
            SCOPED_TRACE("parameter " + std::to_string(k) + " set to " + std::to_string(c.given));
            // Through setParameter.
            plugin.setParameter(k, 0.4f);
            plugin.setParameter(k, c.given);
            const float kept = std::isnan(c.kept) ? 0.4f : c.kept;
            EXPECT_EQ(bits(plugin.getParameter(k)), bits(kept));
            reference.setParameter(k, kept);
            EXPECT_EQ(text(plugin, effGetParamDisplay, k), text(reference, effGetParamDisplay, k));
            Bytes chunk = plugin.chunk();
            EXPECT_TRUE(inRange(chunk));
            EXPECT_EQ(bits(chunkValue(chunk, 0, k)), bits(kept));

            // Inside a chunk, in every program: each program keeps its own value for a NaN.
            const Bytes before = chunk;
            for (int p = 0; p < 6; ++p)
                std::memcpy(chunk.data() + 32 + 56 * p + 24 + 4 * k, &c.given, 4);
            ASSERT_EQ(plugin.dispatch(effSetChunk, 0, 368, chunk.data()), 0);
            const Bytes loaded = plugin.chunk();
            EXPECT_TRUE(inRange(loaded));
            for (int p = 0; p < 6; ++p)
                EXPECT_EQ(bits(chunkValue(loaded, p, k)),
                          bits(std::isnan(c.kept) ? chunkValue(before, p, k) : c.kept))
                    << "program " << p;
            EXPECT_EQ(bits(plugin.getParameter(k)), bits(chunkValue(loaded, 0, k)));
        }
}

TEST(EffectParameters, OnlyBypassHasProperties)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    VstParameterProperties p;
    for (VstInt32 index = 0; index < 7; ++index)
    {
        std::memset(&p, 0x5a, sizeof p);
        EXPECT_EQ(plugin.dispatch(effGetParameterProperties, index, 0, &p), 0) << index;
        const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
        for (size_t i = 0; i < sizeof p; ++i)
            ASSERT_EQ(bytes[i], 0x5a) << index;
    }
    std::memset(&p, 0, sizeof p);
    ASSERT_EQ(plugin.dispatch(effGetParameterProperties, kBypass, 0, &p), 1);
    EXPECT_EQ(p.flags, 5);
    EXPECT_EQ(p.stepFloat, 1.0f);
    EXPECT_EQ(p.smallStepFloat, 1.0f);
    EXPECT_EQ(p.largeStepFloat, 1.0f);
    EXPECT_STREQ(p.label, " Bypass ");
    EXPECT_STREQ(p.shortLabel, " Bypass");
}

TEST(EffectParameters, OutputMixAndBypassGoIntoEveryProgram)
{
    RecordingHost host;
    LoadedPlugin plugin(host);
    selectThroughChunk(plugin, 2);
    plugin.setParameter(kOutput, 0.7f);
    plugin.setParameter(kMix, 0.9f);
    plugin.setParameter(kBypass, 1.0f);
    plugin.setParameter(kDecay, 0.33f);
    const Bytes chunk = plugin.chunk();
    for (int p = 0; p < 6; ++p)
    {
        EXPECT_EQ(chunkValue(chunk, p, kOutput), 0.7f) << p;
        EXPECT_EQ(chunkValue(chunk, p, kMix), 0.9f) << p;
        EXPECT_EQ(chunkValue(chunk, p, kBypass), 1.0f) << p;
        // The sound parameters belong to the current program only.
        EXPECT_EQ(chunkValue(chunk, p, kDecay), p == 2 ? 0.33f : kFactoryPrograms[p].values[kDecay])
            << p;
    }
    // Selecting another program keeps the global values.
    selectThroughChunk(plugin, 4);
    EXPECT_EQ(plugin.getParameter(kOutput), 0.7f);
    EXPECT_EQ(plugin.getParameter(kMix), 0.9f);
    EXPECT_EQ(plugin.getParameter(kBypass), 1.0f);
    EXPECT_EQ(plugin.getParameter(kDecay), kFactoryPrograms[4].values[kDecay]);
    EXPECT_EQ(text(plugin, effGetParamDisplay, kBypass), " bypassed ");
}

} // namespace
