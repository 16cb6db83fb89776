#pragma once

#include <cstdint>

class ResonatorCore;

// Indices of the eight automatable parameters; programs store their values in this order and the
// editor uses the same numbers as control tags.
enum ParameterIndex : int32_t
{
    kOutput = 0,
    kMix,
    kDecay,
    kDamp,
    kTranspose,
    kTune,
    kDetune,
    kBypass,
    kNumParams
};

namespace orv
{

// Hosts and files may deliver values outside 0..1 or NaN. The engine values are derived from the
// value clamped to 0..1, with NaN taken as 0, so the strings can never receive a NaN feedback or
// a string length beyond the ring. The raw value is kept and reported unchanged by the caller.
float clampUnit(float value);

// Each mapping takes the raw normalized value and clamps it itself.
float outputGainFor(float value);                      // v*v*4, float
float mixAmountFor(float value);                       // v
float feedbackFor(float decay, float transposeFactor); // double, stored as float
float dampingFor(float value);                         // double, stored as float
int32_t transposeStepFor(float value);                 // 0..48, 24 = no transposition
float transposeFactorFor(int32_t step);                // 2^((step-24)/12), double rounded
float tuneTargetFor(float value);                      // double, stored as float
float detuneTargetFor(float value);                    // v
int32_t bypassedFor(float value);                      // 1 from 0.5 up

// Derives the engine value(s) of one parameter and hands them to the core. decayValue is the
// stored Decay value: a change of transposition recomputes the feedback from it, so that the
// loss per second stays the same at every transposition. Indices outside 0..7 do nothing.
void deriveEngineValue(ResonatorCore& core, int32_t index, float value, float decayValue);

} // namespace orv
