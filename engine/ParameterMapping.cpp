#include "ParameterMapping.h"

#include "ResonatorCore.h"

#include <cmath>

namespace orv
{

float clampUnit(float value)
{
    if (!(value > 0.0f)) // also catches NaN
        return 0.0f;
    return value > 1.0f ? 1.0f : value;
}

float outputGainFor(float value)
{
    const float v = clampUnit(value);
    return v * v * 4.0f;
}

float mixAmountFor(float value)
{
    return clampUnit(value);
}

float feedbackFor(float decay, float transposeFactor)
{
    const double v = clampUnit(decay);
    const double exponent = 1.0 / (static_cast<double>(transposeFactor) * 0.25);
    return static_cast<float>(std::pow(std::pow(1.02, std::sqrt(v)) / 1.0205, exponent));
}

float dampingFor(float value)
{
    const double v = clampUnit(value);
    return static_cast<float>(std::pow(1.84, 1.0 - v) / 1.845);
}

int32_t transposeStepFor(float value)
{
    // The product is exact in double, so the steps change exactly at v = (k - 0.5) / 48.
    return static_cast<int32_t>(static_cast<double>(clampUnit(value)) * 48.0 + 0.5);
}

float transposeFactorFor(int32_t step)
{
    return static_cast<float>(std::pow(16.0, step / 48.0) * 0.25);
}

float tuneTargetFor(float value)
{
    const double v = clampUnit(value);
    return static_cast<float>(std::pow(1.12246, v) / 1.05946);
}

float detuneTargetFor(float value)
{
    return clampUnit(value);
}

int32_t bypassedFor(float value)
{
    return static_cast<int32_t>(static_cast<double>(clampUnit(value)) + 0.5);
}

void deriveEngineValue(ResonatorCore& core, int32_t index, float value, float decayValue)
{
    switch (index)
    {
    case kOutput:
        core.setOutputGain(outputGainFor(value));
        break;
    case kMix:
        core.setMixAmount(mixAmountFor(value));
        break;
    case kDecay:
        core.setFeedback(feedbackFor(value, core.transposeFactor()));
        break;
    case kDamp:
        core.setDamping(dampingFor(value));
        break;
    case kTranspose:
    {
        const float factor = transposeFactorFor(transposeStepFor(value));
        // A new step jumps: the core clears its strings at the start of its next block.
        if (core.setTransposeFactor(factor)) core.setFeedback(feedbackFor(decayValue, factor));
        break;
    }
    case kTune:
        core.setTuneTarget(tuneTargetFor(value));
        break;
    case kDetune:
        core.setDetuneTarget(detuneTargetFor(value));
        break;
    case kBypass:
        core.setBypassed(bypassedFor(value));
        break;
    default:
        break;
    }
}

} // namespace orv
