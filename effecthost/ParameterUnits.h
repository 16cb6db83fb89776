// The eight parameters in the units a user reads (dB, percent, semitones, cents, on/off), as the
// LV2 control ports and the CLAP parameters carry them, and the conversions between those unit
// values and the normalized 0..1 values the effect's setParameter takes.
#pragma once

#include "engine/ParameterMapping.h"

#include <array>
#include <cstdint>

namespace orv::effecthost
{

enum class Unit
{
    Decibel,  // Output: gain in dB; the minimum means silence
    Percent,  // Mix, Decay, Damp, Detune: 0..100
    Semitone, // Transpose: whole semitones -24..24
    Cent,     // Tune: -100..100
    Toggle    // Bypass: 0 or 1
};

struct ParameterUnit
{
    const char* symbol; // a short lower-case name without blanks (the LV2 port symbol)
    Unit unit;
};

inline constexpr std::array<ParameterUnit, kNumParams> kParameterUnits{{
    {"output", Unit::Decibel},
    {"mix", Unit::Percent},
    {"decay", Unit::Percent},
    {"damp", Unit::Percent},
    {"transpose", Unit::Semitone},
    {"tune", Unit::Cent},
    {"detune", Unit::Percent},
    {"bypass", Unit::Toggle},
}};

// The lowest Output value, which stands for silence (normalized 0). Above it the value is the
// gain 4 v^2 in dB.
inline constexpr float kOutputSilenceDb = -60.0f;

// The range of the unit values; the maximum of Output is the gain of normalized 1 (about
// +12.04 dB).
float unitMinimum(int32_t parameter);
float unitMaximum(int32_t parameter);

// The unit value of a normalized value (clamped to 0..1 first, NaN as 0).
float toUnitValue(int32_t parameter, float normalized);

// The normalized value of a unit value, clamped to 0..1. A unit value the editor can show (a
// whole percent, cent or semitone, a tenth of a dB) gives a value that the editor shows as
// exactly that, and the float nearest the exact conversion among those: 80 % is 0.8f, 0 dB 0.5f,
// +12 semitones 0.75f. A NaN unit value gives NaN; the caller decides what that means.
float toNormalized(int32_t parameter, float unitValue);

// The normalized value the editor's Output display shows as a level in dB, as toNormalized gives
// it, but also below the unit range's bottom: the display shows levels down to about -160 dB
// before "-oo". Levels too low for that give 0, levels above the top 1.
float outputNormalizedFor(float decibels);

// What the editor's display shows for a normalized value, as a whole number: percent, cents or
// semitones, tenths of a dB for Output (INT32_MIN for its "-oo"), 0 or 1 for Bypass.
int32_t editorShows(int32_t parameter, float normalized);

} // namespace orv::effecthost
