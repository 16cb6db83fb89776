#pragma once

#include "engine/ParameterMapping.h"

#include <array>

// What the host and the editor are told about each parameter: its name and unit label (blanks
// included; hosts show them as they are) and its value in the factory program "Default".
struct ParameterInfo
{
    const char* name;
    const char* label;
    float factoryDefault;
};

inline constexpr std::array<ParameterInfo, kNumParams> kParameterInfo{{
    {" Output ", "   dB   ", 0.5f},
    {" Mix ", "    %    ", 0.25f},
    {" Decay ", "    %    ", 0.25f},
    {" Damp ", "    %    ", 0.25f},
    {" Transpose ", " st ", 0.5f},
    {" Tune ", "  cents ", 0.5f},
    {" Detune ", "    %   ", 0.0f},
    {" Bypass ", "  ", 0.0f},
}};

// Output, Mix and Bypass are global: a change goes into all six stored programs, so that
// switching programs leaves them as they are.
inline constexpr bool isGlobalParameter(int32_t index)
{
    return index == kOutput || index == kMix || index == kBypass;
}
