// The effect base's value texts: fixed eight-character decimals, cut not rounded, and safe for
// any float and any buffer length.
#include "plugin/AudioEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{
// A buffer with guard bytes after the allowed length, to catch writes past maxLen + 1.
struct GuardedText
{
    static constexpr int kGuard = 16;
    char bytes[64 + kGuard];
    explicit GuardedText() { std::memset(bytes, 0x5A, sizeof bytes); }
    bool guardIntactFrom(int offset) const
    {
        for (size_t i = static_cast<size_t>(offset); i < sizeof bytes; ++i)
            if (bytes[i] != 0x5A) return false;
        return true;
    }
};

class ValueFormatting : public ::testing::Test
{
protected:
    std::string floatText(float v, VstInt32 maxLen = 32)
    {
        GuardedText t;
        effect.float2string(v, t.bytes, maxLen);
        EXPECT_TRUE(t.guardIntactFrom(maxLen + 1)) << "value " << v;
        return t.bytes;
    }
    std::string dBText(float v, VstInt32 maxLen = 32)
    {
        GuardedText t;
        effect.dB2string(v, t.bytes, maxLen);
        EXPECT_TRUE(t.guardIntactFrom(maxLen + 1)) << "value " << v;
        return t.bytes;
    }
    AudioEffect effect{nullptr, 1, 1};
};
} // namespace

TEST_F(ValueFormatting, RendersEightCharactersWithTruncatedFraction)
{
    EXPECT_EQ(floatText(0.5f), "0.500000");
    EXPECT_EQ(floatText(12.5f), "12.50000");
    EXPECT_EQ(floatText(-3.25f), "-3.25000");
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(1234567.0f), "1234567.");
    EXPECT_EQ(floatText(-0.5f), "-0.50000");
    EXPECT_EQ(floatText(25.0f), "25.00000");
    EXPECT_EQ(floatText(-24.0f), "-24.0000");
    EXPECT_EQ(floatText(-100.0f), "-100.000");
    EXPECT_EQ(floatText(100.0f), "100.0000");
    // Cut, never rounded.
    EXPECT_EQ(floatText(2.0f / 3.0f), "0.666666");
    EXPECT_EQ(floatText(9.999999f), "9.999999");
    EXPECT_EQ(floatText(-999999.0f), "-999999.");
    EXPECT_EQ(floatText(9999999.0f), "9999999.");
}

TEST_F(ValueFormatting, DecibelsOfLevels)
{
    EXPECT_EQ(dBText(0.0f), "-oo");
    EXPECT_EQ(dBText(-1.0f), "-oo");
    EXPECT_EQ(dBText(1.0f), "0.000000");
    EXPECT_EQ(dBText(4.0f), "12.04120");
    EXPECT_EQ(dBText(0.5f), "-6.02060");
}

TEST_F(ValueFormatting, EveryFloatGivesABoundedText)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(floatText(nan), "NaN");
    EXPECT_EQ(floatText(-nan), "NaN");
    EXPECT_EQ(floatText(inf), "Huge!");
    EXPECT_EQ(floatText(-inf), "-Huge!");
    EXPECT_EQ(floatText(1e7f), "Huge!");
    EXPECT_EQ(floatText(3e38f), "Huge!");
    EXPECT_EQ(floatText(-1e6f), "-Huge!");
    EXPECT_EQ(floatText(std::numeric_limits<float>::denorm_min()), "0.000000");
    EXPECT_EQ(floatText(-std::numeric_limits<float>::denorm_min()), "-0.00000");
    EXPECT_EQ(dBText(nan), "-oo");
    EXPECT_EQ(dBText(inf), "Huge!");
}

TEST_F(ValueFormatting, NeverWritesPastMaxLen)
{
    for (VstInt32 maxLen = 0; maxLen <= 10; ++maxLen)
    {
        for (float v : {0.5f, -3.25f, 1234567.0f, -1e30f, 1e30f})
        {
            const std::string text = floatText(v, maxLen);
            EXPECT_LE(text.size(), static_cast<size_t>(maxLen)) << v << " maxLen " << maxLen;
            EXPECT_EQ(text, floatText(v).substr(0, static_cast<size_t>(maxLen)));
        }
        EXPECT_EQ(dBText(0.0f, maxLen), std::string("-oo").substr(0, static_cast<size_t>(maxLen)));
    }
    // A negative length writes nothing at all.
    GuardedText t;
    effect.float2string(0.5f, t.bytes, -1);
    effect.dB2string(0.5f, t.bytes, -1);
    EXPECT_TRUE(t.guardIntactFrom(0));
}
