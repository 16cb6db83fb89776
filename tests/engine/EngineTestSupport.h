#pragma once

#include "ParameterMapping.h"
#include "ReferenceResonator.h"
#include "ResonatorCore.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace enginetest
{

struct FactoryProgram
{
    const char* name;
    std::array<float, 8> values;
};

// The six factory programs as the product ships them (Output, Mix, Decay, Damp, Transpose,
// Tune, Detune, Bypass).
inline const std::array<FactoryProgram, 6> kFactoryPrograms{{
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
}};

// Every kernel the engine can be built with; each test that runs one skips it where this build
// lacks it or the processor cannot run it.
inline constexpr std::array<const char*, 4> kKernels{"sse2", "avx2", "avx512", "portable"};

// Makes the engine use the named kernel; on false the test must skip, with skipReason as the
// message.
bool useKernel(ResonatorCore& core, const char* kernel, std::string& skipReason);

// Deterministic test signal: noise bursts, plucks (decaying sines), single impulses and silence.
std::vector<float> makeSignal(size_t frames, uint32_t seed, float level = 0.5f);

// Feeds a ResonatorCore the way the plug-in does (raw values kept, engine values derived).
struct CoreDriver
{
    ResonatorCore core;
    std::array<float, 8> params{};

    void set(int32_t index, float value)
    {
        if (index >= 0 && index < 8) params[index] = value;
        orv::deriveEngineValue(core, index, value, params[kDecay]);
    }
    void apply(const std::array<float, 8>& values)
    {
        for (int32_t i = 0; i < 8; ++i)
            set(i, values[i]);
    }
};

// First sample where two float arrays differ bit for bit, or -1.
inline long firstBitDifference(const float* a, const float* b, size_t n)
{
    if (std::memcmp(a, b, n * sizeof(float)) == 0) return -1;
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(a + i, b + i, sizeof(float)) != 0) return static_cast<long>(i);
    return -1;
}

// Describes where the running states of the engine and the model differ; empty when identical.
std::string stateDifference(const ResonatorCore& core, const ReferenceResonator& model);

} // namespace enginetest
