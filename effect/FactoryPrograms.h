// The six programs every new instance starts with, in store order. The VST 2.4 effect installs
// them into its program store; the LV2 bundle offers them as presets.
#pragma once

#include "presets/ProgramRecord.h"

#include <array>

struct FactoryProgram
{
    const char* name;
    std::array<float, kNumProgramValues> values; // Output, Mix, Decay, Damp, Transpose, Tune,
                                                 // Detune, Bypass
};

inline constexpr std::array<FactoryProgram, kNumPresetPrograms> kFactoryPrograms{{
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
}};
