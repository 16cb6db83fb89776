#include "ReferenceResonator.h"

#include <cmath>

namespace
{

const double baseFrequency[12] = {110.0,    116.5406,  123.4706,  130.81277, 138.5912,  146.832378,
                                  155.5631, 164.81377, 174.61411, 184.99723, 195.99767, 207.652346};
const double detuneSpread[12] = {1.11,  0.599,  -1.402, -0.797, 1.65,  0.35,
                                 -1.26, -0.498, 1.48,   0.866,  -1.59, -0.43};

// Values are used clamped to 0..1, NaN as 0.
float clamped(float v)
{
    if (std::isnan(v)) return 0.0f;
    if (v < 0.0f) return 0.0f;
    if (v > 1.0f) return 1.0f;
    return v;
}

// C-style truncation; values outside int32 (or NaN) give INT32_MIN as the x86 instruction does.
int32_t truncate(double v)
{
    if (std::isnan(v) || v <= -2147483649.0 || v >= 2147483648.0) return INT32_MIN;
    return (int32_t)v;
}

float computeFeedback(float decay, float transposeFactor)
{
    double v = clamped(decay);
    return (float)std::pow(std::pow(1.02, std::sqrt(v)) / 1.0205,
                           1.0 / ((double)transposeFactor * 0.25));
}

} // namespace

ReferenceResonator::ReferenceResonator() : stringBuffer(12, std::vector<float>(16384, 0.0f))
{
    reset();
}

void ReferenceResonator::setParameter(int32_t index, float value)
{
    if (index < 0 || index > 7) return;
    paramValue[index] = value;
    float v = clamped(value);
    if (index == 0) outputGain = v * v * 4.0f;
    if (index == 1) mixAmount = v;
    if (index == 2) feedback = computeFeedback(value, transposeFactor);
    if (index == 3)
    {
        float d = (float)(std::pow(1.84, 1.0 - (double)v) / 1.845);
        for (int k = 0; k < 12; k++)
            damping[k] = d;
    }
    if (index == 4)
    {
        int n = (int)(v * 48.0 + 0.5);
        float candidate = (float)(std::pow(16.0, n / 48.0) * 0.25);
        if (candidate != transposeFactor)
        {
            transposeFactor = candidate;
            feedback = computeFeedback(paramValue[2], transposeFactor);
            // The rings are cleared at the start of the next processed block.
            transposeChangePending = true;
        }
    }
    if (index == 5) tuneTarget = (float)(std::pow(1.12246, (double)v) / 1.05946);
    if (index == 6) detuneTarget = v;
    if (index == 7) bypassed = (int32_t)(v + 0.5);
}

void ReferenceResonator::reset()
{
    for (int k = 0; k < 12; k++)
        for (int i = 0; i < 16384; i++)
            stringBuffer[k][i] = 0.0f;
    writePos = 16383;
    for (int k = 0; k < 12; k++)
        readPos[k] = 0;
    for (int k = 0; k < 12; k++)
        dampState[k] = 0.0f;
    detuneCurrent = detuneTarget;
    tuneCurrent = tuneTarget;
    transposeChangePending = false;
}

void ReferenceResonator::recomputeReadPositions(float sampleRate)
{
    double sr = sampleRate;
    for (int k = 0; k < 12; k++)
    {
        float ratio = transposeFactor * tuneCurrent;
        double D = (sr + sr * 0.015 * detuneSpread[k] * detuneCurrent) / (ratio * baseFrequency[k]);
        readPos[k] = truncate(writePos - D + 16384.0) & 16383;
    }
}

void ReferenceResonator::process(const float* in0, const float* in1, float* out0, float* out1,
                                 int32_t frames, float sampleRate)
{
    float denormalOffset = 1e-9f;
    if (frames <= 0) return;
    if (transposeChangePending)
    {
        transposeChangePending = false;
        for (int k = 0; k < 12; k++)
            for (int i = 0; i < 16384; i++)
                stringBuffer[k][i] = 0.0f;
        recomputeReadPositions(sampleRate);
    }

    for (int n = 0; n < frames; n++)
    {
        double sr = sampleRate;

        // 1. inputs
        float dryL, dryR;
        double x;
        if (bypassed == 0)
        {
            dryL = in0[n] + denormalOffset;
            dryR = in1[n] + denormalOffset;
            x = 0.5 * (double)(dryL + dryR);
        }
        else
        {
            dryL = in0[n];
            dryR = in1[n];
            x = denormalOffset;
        }

        // 2. alternate the offset
        denormalOffset = -denormalOffset;

        // 3. damping
        for (int k = 0; k < 12; k++)
            dampState[k] = (stringBuffer[k][readPos[k]] - dampState[k]) * damping[k] + dampState[k];

        // 4. feedback write
        for (int k = 0; k < 12; k++)
            stringBuffer[k][writePos] = (float)((double)(dampState[k] * feedback) + x);

        // 5. wet sums
        float wetL = dampState[0];
        wetL = wetL + dampState[2];
        wetL = wetL + dampState[4];
        wetL = wetL + dampState[6];
        wetL = wetL + dampState[8];
        wetL = wetL + dampState[10];
        wetL = wetL + stringBuffer[1][readPos[10]];
        wetL = wetL + stringBuffer[3][readPos[8]];
        wetL = wetL + stringBuffer[5][readPos[6]];
        wetL = wetL + stringBuffer[7][readPos[4]];
        wetL = wetL + stringBuffer[9][readPos[2]];
        wetL = wetL + stringBuffer[11][readPos[0]];
        float wetR = dampState[3];
        wetR = wetR + dampState[1];
        wetR = wetR + dampState[5];
        wetR = wetR + dampState[7];
        wetR = wetR + dampState[9];
        wetR = wetR + dampState[11];
        wetR = wetR + stringBuffer[0][readPos[11]];
        wetR = wetR + stringBuffer[2][readPos[9]];
        wetR = wetR + stringBuffer[4][readPos[7]];
        wetR = wetR + stringBuffer[6][readPos[5]];
        wetR = wetR + stringBuffer[8][readPos[3]];
        wetR = wetR + stringBuffer[10][readPos[1]];

        // 6. mix
        double yLd = ((double)wetL * 0.075 - (double)dryL) * (double)mixAmount + (double)dryL;
        double yRd = ((double)wetR * 0.075 - (double)dryR) * (double)mixAmount + (double)dryR;
        float yL = (float)yLd;
        float yR = (float)yRd;

        // 7. detune glide
        float d = detuneTarget - detuneCurrent;
        if (std::fabs(d) > 0.002)
            detuneCurrent = (float)((double)detuneCurrent + (double)d * 0.00075);
        else
            detuneCurrent = detuneTarget;

        // 8. tune glide
        float t = tuneTarget - tuneCurrent;
        if (std::fabs(t) > 0.0015)
        {
            float c = (float)((double)tuneCurrent + (double)t * 0.00025);
            if (std::fabs(tuneCurrent - c) > 0.00002)
            {
                if (c > tuneCurrent)
                    c = (float)((double)tuneCurrent + 0.00002);
                else
                    c = (float)((double)tuneCurrent - 0.00002);
            }
            tuneCurrent = c;
        }
        else
        {
            tuneCurrent = tuneTarget;
        }

        // 9. string lengths
        for (int k = 0; k < 12; k++)
        {
            float ratio = transposeFactor * tuneCurrent;
            double D = (sr + sr * 0.015 * detuneSpread[k] * detuneCurrent) /
                       ((double)ratio * baseFrequency[k]);
            readPos[k] = truncate((double)writePos - D + 16384.0) & 16383;
        }

        // 10. outputs
        out0[n] = yL * outputGain;
        out1[n] = yR * outputGain;

        // 11. advance
        writePos = (writePos + 1) & 16383;
        for (int k = 0; k < 12; k++)
            readPos[k] = (readPos[k] + 1) & 16383;
    }
}
