// Renders a fixed signal through a built plug-in and writes the raw output (32-bit floats, left
// then right for each block) to a file. The Linux and the Windows builds of this program, fed
// their own platform's plug-in, must write the same bytes.
//   orv_render_fixed PLUGIN OUTPUT
#include "tools/PluginLibrary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Noise bursts, plucked tones, clicks, near-silence in the subnormal range and plain silence,
// from a fixed generator. Only exact arithmetic, no math library (whose sin and exp differ in
// the last bit between platforms): the same input numbers on every platform.
std::vector<float> makeInput(size_t frames, uint32_t seed)
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

const Scene kScenes[] = {
    {44100.0f, {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}, 5, 0.9f},
    {48000.0f, {0.7f, 0.6f, 0.9f, 0.05f, 0.75f, 0.3f, 0.4f, 0.0f}, 6, 1.0f},
    {96000.0f, {0.4f, 1.0f, 0.75f, 0.2f, 0.0f, 0.5f, 1.0f, 0.0f}, 4, 1.0f},
    {44100.0f, {1.0f, 0.5f, 1.0f, 0.0f, 0.5f, 0.1f, 0.7f, 0.0f}, 7, 1.0f},
};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: orv_render_fixed PLUGIN OUTPUT\n");
        return 2;
    }
    PluginLibrary library;
    std::string error;
    if (!library.load(argv[1], error))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    AEffect* effect = library.instantiate(host, error);
    if (!effect)
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;

    const size_t frames = 5 * 4096 * 2;
    const std::vector<float> left = makeInput(frames, 1), right = makeInput(frames, 2);
    // Hosts split blocks at automation points: sizes vary from 1 up.
    const size_t blockSizes[] = {1, 7, 64, 512, 1000, 33};
    std::vector<float> outLeft(1000), outRight(1000);
    for (const Scene& scene : kScenes)
    {
        dispatch(effect, effMainsChanged, 0, 0);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, scene.sampleRate);
        dispatch(effect, effSetBlockSize, 0, 1000);
        for (VstInt32 k = 0; k < 8; ++k)
            effect->setParameter(effect, k, scene.values[k]);
        dispatch(effect, effMainsChanged, 0, 1);
        size_t at = 0;
        bool changed = false;
        for (size_t block = 0; at < frames; ++block)
        {
            if (!changed && at >= frames / 2)
            {
                effect->setParameter(effect, scene.changedIndex, scene.changedValue);
                changed = true;
            }
            const size_t n = std::min(blockSizes[block % 6], frames - at);
            float* inputs[2] = {const_cast<float*>(left.data() + at),
                                const_cast<float*>(right.data() + at)};
            float* outputs[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
            std::fwrite(outLeft.data(), sizeof(float), n, out);
            std::fwrite(outRight.data(), sizeof(float), n, out);
            at += n;
        }
    }
    dispatch(effect, effClose);
    return std::fclose(out) == 0 ? 0 : 1;
}
