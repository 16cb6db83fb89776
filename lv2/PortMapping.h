// The LV2 face's control ports: what each of the eight parameters looks like in the units a user
// reads (dB, percent, semitones, cents, on/off), and the conversions between those port values
// and the normalized 0..1 values the effect's setParameter takes.
#pragma once

#include "engine/ParameterMapping.h"

#include <array>
#include <cstdint>

namespace orv::lv2
{

// Two audio inputs, two audio outputs, then one control input per parameter in index order.
inline constexpr uint32_t kInLeft = 0;
inline constexpr uint32_t kInRight = 1;
inline constexpr uint32_t kOutLeft = 2;
inline constexpr uint32_t kOutRight = 3;
inline constexpr uint32_t kFirstControlPort = 4;
inline constexpr uint32_t kNumPorts = kFirstControlPort + kNumParams;

enum class PortUnit
{
    Decibel,  // Output: gain in dB; the minimum means silence
    Percent,  // Mix, Decay, Damp, Detune: 0..100
    Semitone, // Transpose: whole semitones -24..24
    Cent,     // Tune: -100..100
    Toggle    // Bypass: 0 or 1
};

struct ControlPort
{
    const char* symbol;
    PortUnit unit;
};

inline constexpr std::array<ControlPort, kNumParams> kControlPorts{{
    {"output", PortUnit::Decibel},
    {"mix", PortUnit::Percent},
    {"decay", PortUnit::Percent},
    {"damp", PortUnit::Percent},
    {"transpose", PortUnit::Semitone},
    {"tune", PortUnit::Cent},
    {"detune", PortUnit::Percent},
    {"bypass", PortUnit::Toggle},
}};

// The Output port's lowest value, which stands for silence (normalized 0). Above it the port is
// the gain 4 v^2 in dB.
inline constexpr float kOutputSilenceDb = -60.0f;

// The range a port offers; the maximum of Output is the gain of normalized 1 (about +12.04 dB).
float portMinimum(int32_t parameter);
float portMaximum(int32_t parameter);

// The port value of a normalized value (clamped to 0..1 first, NaN as 0).
float toPortValue(int32_t parameter, float normalized);

// The normalized value of a port value, clamped to 0..1. A port value the editor can show (a
// whole percent, cent or semitone, a tenth of a dB) gives a value that the editor shows as
// exactly that, and the float nearest the exact conversion among those: 80 % is 0.8f, 0 dB 0.5f,
// +12 semitones 0.75f. A NaN port value gives NaN; the caller decides what that means.
float toNormalized(int32_t parameter, float portValue);

// What the editor's display shows for a normalized value, as a whole number: percent, cents or
// semitones, tenths of a dB for Output (INT32_MIN for its "-oo"), 0 or 1 for Bypass.
int32_t editorShows(int32_t parameter, float normalized);

} // namespace orv::lv2
