// The fixed test signal and settings that the render comparisons between builds and between
// plug-in formats feed through a plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixedsignal
{

// Noise bursts, plucked tones, clicks, near-silence in the subnormal range and plain silence,
// from a fixed generator. Only exact arithmetic, no math library (whose sin and exp differ in
// the last bit between platforms): the same input numbers on every platform.
inline std::vector<float> makeInput(size_t frames, uint32_t seed)
{
    std::vector<float> out(frames);
    uint32_t state = seed;
    auto next = [&]
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f * 2.0f - 1.0f;
    };
    // A decaying sine by its two-term recurrence (cos of the step written out).
    float previous = 0.0f, current = 0.0f;
    for (size_t i = 0; i < frames; ++i)
    {
        const size_t part = (i / 4096) % 5;
        float v = 0.0f;
        if (part == 0) v = 0.4f * next();
        if (part == 1)
        {
            if (i % 4096 == 0) previous = 0.0f, current = 0.06f;
            const float following = 0.99606f * (2.0f * 0.998035f * current - previous);
            previous = current;
            current = following;
            v = current;
        }
        if (part == 2) v = (i % 997 == 0) ? 0.9f : 0.0f;
        if (part == 3) v = 1e-39f * next();
        out[i] = v;
    }
    return out;
}

struct Scene
{
    float sampleRate;
    float values[8]; // Output, Mix, Decay, Damp, Transpose, Tune, Detune, Bypass
    // Changed half-way: glides of Tune and Detune, a Transpose step, bypass.
    int changedIndex;
    float changedValue;
};

inline const Scene kScenes[] = {
    {44100.0f, {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}, 5, 0.9f},
    {48000.0f, {0.7f, 0.6f, 0.9f, 0.05f, 0.75f, 0.3f, 0.4f, 0.0f}, 6, 1.0f},
    {96000.0f, {0.4f, 1.0f, 0.75f, 0.2f, 0.0f, 0.5f, 1.0f, 0.0f}, 4, 1.0f},
    {44100.0f, {1.0f, 0.5f, 1.0f, 0.0f, 0.5f, 0.1f, 0.7f, 0.0f}, 7, 1.0f},
};
} // namespace fixedsignal
