// Engine values derived from normalized parameter values.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using namespace enginetest;
using namespace orv;

TEST(ParameterMapping, FeedbackFollowsTheTranspositionWhicheverIsSetFirst)
{
    // Transpose recomputes the feedback from the stored Decay; Decay uses the current factor.
    CoreDriver decayFirst;
    decayFirst.set(kDecay, 0.5f);
    decayFirst.set(kTranspose, 0.75f);
    CoreDriver transposeFirst;
    transposeFirst.set(kTranspose, 0.75f);
    transposeFirst.set(kDecay, 0.5f);
    EXPECT_EQ(decayFirst.core.feedback(), transposeFirst.core.feedback());
    EXPECT_NEAR(decayFirst.core.feedback(), 0.987499, 5e-7);
}

TEST(ParameterMapping, ValueCurves)
{
    EXPECT_EQ(outputGainFor(0.5f), 1.0f);
    EXPECT_EQ(outputGainFor(1.0f), 4.0f);
    EXPECT_EQ(outputGainFor(0.0f), 0.0f);
    EXPECT_NEAR(feedbackFor(0.0f, 1.0f), 0.922, 5e-4);
    EXPECT_NEAR(feedbackFor(1.0f, 1.0f), 0.998, 5e-4);
    EXPECT_NEAR(dampingFor(0.0f), 0.99729, 5e-6);
    EXPECT_NEAR(dampingFor(1.0f), 0.54201, 5e-6);
    EXPECT_NEAR(tuneTargetFor(0.0f), 0.943877, 5e-7);
    EXPECT_NEAR(tuneTargetFor(0.5f), 1.000002, 5e-7);
    EXPECT_NEAR(tuneTargetFor(1.0f), 1.059464, 5e-7);
    EXPECT_EQ(bypassedFor(0.5f), 1);
    EXPECT_EQ(bypassedFor(0.49999997f), 0);
    EXPECT_EQ(detuneTargetFor(0.3f), 0.3f);
    EXPECT_EQ(mixAmountFor(0.3f), 0.3f);
}

TEST(ParameterMapping, TranspositionStepsChangeHalfwayBetweenValues)
{
    for (int32_t k = 1; k <= 48; ++k)
    {
        const float boundary = static_cast<float>((k - 0.5) / 48.0);
        EXPECT_EQ(transposeStepFor(std::nextafter(boundary, 0.0f)), k - 1) << k;
        EXPECT_EQ(transposeStepFor(std::nextafter(boundary, 1.0f)), k) << k;
    }
    EXPECT_EQ(transposeStepFor(0.5f), 24);
    EXPECT_EQ(transposeStepFor(0.51f), 24);
    EXPECT_EQ(transposeFactorFor(0), 0.25f);
    EXPECT_EQ(transposeFactorFor(24), 1.0f);
    EXPECT_EQ(transposeFactorFor(36), 2.0f);
    EXPECT_EQ(transposeFactorFor(48), 4.0f);
    EXPECT_NEAR(transposeFactorFor(25), std::pow(2.0, 1.0 / 12.0), 1e-7);
}

TEST(ParameterMapping, ValuesOutsideTheRangeAreClampedAndNaNIsZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(clampUnit(nan), 0.0f);
    EXPECT_EQ(clampUnit(-inf), 0.0f);
    EXPECT_EQ(clampUnit(inf), 1.0f);
    EXPECT_FALSE(std::signbit(clampUnit(-0.0f)));
    EXPECT_EQ(clampUnit(0.3f), 0.3f);
    EXPECT_EQ(outputGainFor(7.0f), 4.0f);
    EXPECT_EQ(feedbackFor(nan, 1.0f), feedbackFor(0.0f, 1.0f));
    EXPECT_EQ(feedbackFor(-1.0f, 1.0f), feedbackFor(0.0f, 1.0f));
    EXPECT_EQ(dampingFor(nan), dampingFor(0.0f));
    EXPECT_EQ(transposeStepFor(-3.0f), 0);
    EXPECT_EQ(transposeStepFor(1e9f), 48);
    EXPECT_EQ(transposeStepFor(nan), 0);
    EXPECT_EQ(tuneTargetFor(inf), tuneTargetFor(1.0f));
    EXPECT_EQ(detuneTargetFor(nan), 0.0f);
    EXPECT_EQ(bypassedFor(nan), 0);
    EXPECT_EQ(bypassedFor(1e30f), 1);
}

} // namespace
