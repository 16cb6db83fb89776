#include "effecthost/ParameterUnits.h"

#include <cmath>
#include <limits>

namespace orv::effecthost
{
namespace
{
// How far, in steps of one float, a conversion may be moved to land on the value the editor
// shows. The exact conversions are never more than a few steps away.
constexpr int kMaxSteps = 64;
// A unit value within this distance of a displayable value (in display units) counts as that
// value: unit values are floats, so "3.8" arrives as 3.7999999523.
constexpr double kDisplayTolerance = 1e-3;
// Far beyond every value the editor can show, in display units.
constexpr double kLargestDisplayed = 1e6;

int32_t truncated(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Tenths of a dB as the editor's Output display shows them: the gain 4 p^2 (the square in single
// precision, the factor in double), its logarithm in single precision, the product in double,
// integer and first decimal each cut toward zero.
int32_t decibelTenthsShown(float p)
{
    const float gain = static_cast<float>(static_cast<double>(p * p) * 4.0);
    if (!(static_cast<double>(gain) > 1e-8)) return std::numeric_limits<int32_t>::min();
    const double d = 20.0 * static_cast<double>(std::log10(gain));
    const int32_t whole = truncated(d);
    const int32_t tenth = truncated(std::fabs((d - whole) * 10.0));
    const int32_t magnitude = std::abs(whole) * 10 + tenth;
    return d < 0.0 ? -magnitude : magnitude;
}

// Starting at estimate, walks float by float towards the value the editor shows as target
// (every display is monotonic in the value) and stops at the first such value. When none is
// within reach the estimate stays.
float showing(int32_t parameter, float estimate, int32_t target)
{
    float v = estimate;
    for (int step = 0; step <= kMaxSteps; ++step)
    {
        const int32_t shown = editorShows(parameter, v);
        if (shown == target) return v;
        const float next = std::nextafter(v, shown < target ? 2.0f : -1.0f);
        if (next < 0.0f || next > 1.0f) break;
        v = next;
    }
    return estimate;
}

// The displayable value a unit value stands for, if it is one: its nearest multiple of one
// display unit (scale display units per unit). Huge and infinite unit values are none (and
// would not fit the integer).
bool displayedValue(float unitValue, double scale, int32_t& target)
{
    const double scaled = static_cast<double>(unitValue) * scale;
    const double nearest = std::nearbyint(scaled);
    if (!(std::fabs(nearest) <= kLargestDisplayed) ||
        std::fabs(scaled - nearest) > kDisplayTolerance)
        return false;
    target = static_cast<int32_t>(nearest);
    return true;
}

float unitClamped(double v)
{
    return v <= 0.0 ? 0.0f : v >= 1.0 ? 1.0f : static_cast<float>(v);
}
} // namespace

float unitMinimum(int32_t parameter)
{
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        return kOutputSilenceDb;
    case Unit::Semitone:
        return -24.0f;
    case Unit::Cent:
        return -100.0f;
    default:
        return 0.0f;
    }
}

float unitMaximum(int32_t parameter)
{
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        return toUnitValue(parameter, 1.0f);
    case Unit::Percent:
    case Unit::Cent:
        return 100.0f;
    case Unit::Semitone:
        return 24.0f;
    default:
        return 1.0f;
    }
}

float outputNormalizedFor(float decibels)
{
    if (std::isnan(decibels)) return decibels;
    if (decibels > kOutputSilenceDb) return toNormalized(kOutput, decibels);
    const float estimate = unitClamped(0.5 * std::pow(10.0, static_cast<double>(decibels) / 40.0));
    int32_t target;
    if (!displayedValue(decibels, 10.0, target)) return estimate;
    const float v = showing(kOutput, estimate, target);
    return editorShows(kOutput, v) == target ? v : 0.0f;
}

int32_t editorShows(int32_t parameter, float normalized)
{
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        return decibelTenthsShown(normalized);
    case Unit::Percent:
        return truncated(normalized * 100.0f); // the product in single precision
    case Unit::Semitone:
        return truncated(static_cast<double>(normalized) * 48.0 + 0.5) - 24;
    case Unit::Cent:
        return truncated(static_cast<double>(normalized) * 200.0 - 100.0);
    default:
        return static_cast<double>(normalized) + 0.5 >= 1.0 ? 1 : 0;
    }
}

float toUnitValue(int32_t parameter, float normalized)
{
    const double v = clampUnit(normalized);
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
    {
        // 20 log10(4 v^2) = 40 log10(2 v)
        if (v <= 0.0) return kOutputSilenceDb;
        const double dB = 40.0 * std::log10(2.0 * v);
        return dB <= kOutputSilenceDb ? kOutputSilenceDb : static_cast<float>(dB);
    }
    case Unit::Percent:
        return static_cast<float>(v * 100.0);
    case Unit::Semitone:
        return static_cast<float>(transposeStepFor(static_cast<float>(v)) - 24);
    case Unit::Cent:
        return static_cast<float>(v * 200.0 - 100.0);
    default:
        return static_cast<float>(bypassedFor(static_cast<float>(v)));
    }
}

float toNormalized(int32_t parameter, float unitValue)
{
    if (std::isnan(unitValue)) return unitValue;
    const double p = unitValue;
    float estimate = 0.0f;
    double scale = 1.0;
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        if (unitValue <= kOutputSilenceDb) return 0.0f;
        if (unitValue >= unitMaximum(parameter)) return 1.0f;
        estimate = unitClamped(0.5 * std::pow(10.0, p / 40.0));
        scale = 10.0;
        break;
    case Unit::Percent:
        estimate = unitClamped(p / 100.0);
        break;
    case Unit::Semitone:
        estimate = unitClamped((p + 24.0) / 48.0);
        break;
    case Unit::Cent:
        estimate = unitClamped((p + 100.0) / 200.0);
        break;
    default:
        return p >= 0.5 ? 1.0f : 0.0f;
    }
    int32_t target;
    return displayedValue(unitValue, scale, target) ? showing(parameter, estimate, target)
                                                    : estimate;
}

} // namespace orv::effecthost
