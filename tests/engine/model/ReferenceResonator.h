#pragma once

#include <cstdint>
#include <vector>

// A deliberately plain model of the resonator, written step by step from the algorithm's
// description and kept apart from the engine: separate rings, every engine value read every
// sample, string lengths recomputed every sample. Slow and obvious; the engine must match it bit
// for bit. It also derives the engine values from normalized parameter values on its own.
class ReferenceResonator
{
public:
    ReferenceResonator();

    // Parameter index 0..7 (Output, Mix, Decay, Damp, Transpose, Tune, Detune, Bypass) and its
    // normalized value; other indices are ignored.
    void setParameter(int32_t index, float value);
    void reset();
    void process(const float* in0, const float* in1, float* out0, float* out1, int32_t frames,
                 float sampleRate);

    // Engine values and state for comparisons.
    float outputGain = 0.0f;
    float mixAmount = 0.0f;
    float feedback = 0.0f;
    float damping[12] = {};
    float transposeFactor = 1.0f;
    float tuneTarget = 1.0f;
    float detuneTarget = 0.0f;
    int32_t bypassed = 0;

    std::vector<std::vector<float>> stringBuffer;
    int32_t writePos = 0;
    int32_t readPos[12] = {};
    float dampState[12] = {};
    float tuneCurrent = 1.0f;
    float detuneCurrent = 0.0f;

private:
    void recomputeReadPositions(float sampleRate);

    float paramValue[8] = {};
    bool transposeChangePending = false;
};
