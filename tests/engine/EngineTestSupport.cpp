#include "EngineTestSupport.h"

#include "ResonatorKernel.h"

#include <cmath>

namespace enginetest
{

std::vector<float> makeSignal(size_t frames, uint32_t seed, float level)
{
    std::vector<float> out(frames, 0.0f);
    uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state]()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f; // 0..1
    };
    size_t i = 0;
    while (i < frames)
    {
        const size_t length = 200 + static_cast<size_t>(next() * 3000.0f);
        const int kind = static_cast<int>(next() * 4.0f);
        for (size_t j = 0; j < length && i < frames; ++j, ++i)
        {
            switch (kind)
            {
            case 0: // noise
                out[i] = level * (2.0f * next() - 1.0f);
                break;
            case 1: // pluck
                out[i] = level * std::exp(-0.002f * j) * std::sin(0.05f * j * (1 + seed % 7));
                break;
            case 2: // impulse then silence
                out[i] = j == 0 ? level : 0.0f;
                break;
            default: // silence
                break;
            }
        }
    }
    return out;
}

bool useKernel(ResonatorCore& core, const char* kernel, std::string& skipReason)
{
    if (core.useKernel(kernel)) return true;
    const std::string name = kernel;
    bool built = false;
    for (const resonator::Kernel* k : resonator::builtKernels())
        built = built || name == k->name;
    if (!built)
    {
        skipReason = "this build has no " + name + " kernel (it is built for x86-64 only)";
        return false;
    }
    skipReason = "this processor cannot run the " + name + " kernel (it needs " +
                 (name == "avx512" ? "AVX-512F and AVX-512VL"
                  : name == "avx2" ? "AVX2"
                                   : name) +
                 ")";
    return false;
}

std::string stateDifference(const ResonatorCore& core, const ReferenceResonator& model)
{
    auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    if (core.writePosition() != model.writePos) return "write position";
    for (int k = 0; k < 12; ++k)
    {
        if (core.readPosition(k) != model.readPos[k])
            return "read position of string " + std::to_string(k);
        if (!same(core.dampState(k), model.dampState[k]))
            return "low-pass state of string " + std::to_string(k);
    }
    if (!same(core.tuneCurrent(), model.tuneCurrent)) return "current tune";
    if (!same(core.detuneCurrent(), model.detuneCurrent)) return "current detune";
    for (int k = 0; k < 12; ++k)
        for (int32_t p = 0; p < 16384; ++p)
            if (!same(core.ringValue(k, p), model.stringBuffer[k][p]))
                return "ring of string " + std::to_string(k) + " at " + std::to_string(p);
    return {};
}

} // namespace enginetest
