#pragma once

#include "ResonatorKernel.h"

#include <bit>
#include <cstdint>

// One sample's glide of Tune and Detune towards their targets. Every path steps through this one
// function: the per-sample steps of ResonatorCore and the kernels' glide passes. It has internal
// linkage on purpose: each kernel file compiles its own copy for its own instruction set, and the
// linker must never hand one file's copy to another.
namespace resonator
{
namespace
{

// Detune moves kDetuneRate of the remaining distance per sample and jumps to its target from
// kDetuneSnap away; Tune moves kTuneRate of the remaining distance, at most kTuneMaxStep, and
// jumps from kTuneSnap away. Both therefore move monotonically towards fixed targets.
constexpr double kDetuneRate = 0.00075;
constexpr double kDetuneSnap = 0.002;
constexpr double kTuneRate = 0.00025;
constexpr double kTuneMaxStep = 0.00002;
constexpr double kTuneSnap = 0.0015;

// The largest float not above the positive c: a float x exceeds c exactly when it exceeds this,
// so the distances are compared as floats, with no conversion to double on the glide's chain.
constexpr float floatNotAbove(double c)
{
    const float nearest = static_cast<float>(c);
    return static_cast<double>(nearest) <= c
               ? nearest
               : std::bit_cast<float>(std::bit_cast<uint32_t>(nearest) - 1);
}
// True when f is not above c and the next float is.
constexpr bool largestFloatNotAbove(float f, double c)
{
    return f <= c && std::bit_cast<float>(std::bit_cast<uint32_t>(f) + 1) > c;
}
constexpr float kDetuneSnapFloat = floatNotAbove(kDetuneSnap);
constexpr float kTuneMaxStepFloat = floatNotAbove(kTuneMaxStep);
constexpr float kTuneSnapFloat = floatNotAbove(kTuneSnap);
static_assert(largestFloatNotAbove(kDetuneSnapFloat, kDetuneSnap) &&
              largestFloatNotAbove(kTuneSnapFloat, kTuneSnap) &&
              largestFloatNotAbove(kTuneMaxStepFloat, kTuneMaxStep));

[[gnu::always_inline]] inline void glideStep(float& tune, float& detune, float tuneTarget,
                                             float detuneTarget)
{
    const float detuneDistance = detuneTarget - detune;
    if (__builtin_fabsf(detuneDistance) > kDetuneSnapFloat)
        detune = static_cast<float>(detune + detuneDistance * kDetuneRate);
    else
        detune = detuneTarget;

    const float tuneDistance = tuneTarget - tune;
    if (__builtin_fabsf(tuneDistance) > kTuneSnapFloat)
    {
        float next = static_cast<float>(tune + tuneDistance * kTuneRate);
        if (__builtin_fabsf(tune - next) > kTuneMaxStepFloat)
            next = next > tune ? static_cast<float>(tune + kTuneMaxStep)
                               : static_cast<float>(tune - kTuneMaxStep);
        tune = next;
    }
    else
    {
        tune = tuneTarget;
    }
}

// Advances the job by up to `steps` glide steps.
[[gnu::always_inline]] inline void advanceGlide(GlideJob& job, int32_t steps)
{
    float tune = job.tune;
    float detune = job.detune;
    const int32_t end = job.count - job.done < steps ? job.count : job.done + steps;
    for (int32_t i = job.done; i < end; ++i)
    {
        glideStep(tune, detune, job.tuneTarget, job.detuneTarget);
        job.tuneOut[i] = tune;
        job.detuneOut[i] = detune;
    }
    job.tune = tune;
    job.detune = detune;
    job.done = end;
}

} // namespace
} // namespace resonator
