// Port values in user units against the editor's own display texts: every value the editor can
// display converts to a normalized value that the editor shows as exactly that value.
#include "effecthost/ParameterUnits.h"
#include "editor/ADEditor.h"
#include "effect/FactoryPrograms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
using namespace orv::effecthost;

std::string shown(void (*convert)(float, char*), float value)
{
    char text[256];
    convert(value, text);
    return text;
}

// What the editor's Output display is given for a normalized value: the gain 4 p^2.
void gainShown(float p, char* text)
{
    decibelsToString(static_cast<float>(static_cast<double>(p * p) * 4.0), text);
}

std::string percentText(int n)
{
    return std::to_string(n) + "%";
}
std::string centText(int n)
{
    return std::to_string(n) + "c";
}
std::string semitoneText(int n)
{
    return n > 0 ? "#" + std::to_string(n) : n < 0 ? "b" + std::to_string(-n) : "0";
}
std::string tenthDecibelText(int tenths)
{
    const int m = std::abs(tenths);
    return (tenths < 0 ? "-" : "") + std::to_string(m / 10) + "." + std::to_string(m % 10) + "dB";
}

struct Display
{
    int32_t parameter;
    int first, last;     // the displayable values, in display units
    float unitsPerValue; // port units per display unit
    void (*convert)(float, char*);
    std::string (*text)(int);
};

const Display kDisplays[] = {
    {kMix, 0, 100, 1.0f, percentToString, percentText},
    {kDecay, 0, 100, 1.0f, percentToString, percentText},
    {kDamp, 0, 100, 1.0f, percentToString, percentText},
    {kDetune, 0, 100, 1.0f, percentToString, percentText},
    {kTune, -100, 100, 1.0f, centsToString, centText},
    {kTranspose, -24, 24, 1.0f, semitonesToString, semitoneText},
    // Every tenth of a dB above the silence at the port's minimum, up to +12.0 dB.
    {kOutput, -599, 120, 0.1f, gainShown, tenthDecibelText},
};

TEST(ParameterUnits, EveryDisplayedValueBecomesAValueTheEditorShowsAsIt)
{
    for (const Display& d : kDisplays)
        for (int n = d.first; n <= d.last; ++n)
        {
            // As a host holds it: the nearest float to the decimal value.
            const float port = static_cast<float>(n * static_cast<double>(d.unitsPerValue));
            const float v = toNormalized(d.parameter, port);
            ASSERT_EQ(shown(d.convert, v), d.text(n))
                << kParameterUnits[d.parameter].symbol << " port value " << port << " -> " << v;
            ASSERT_EQ(editorShows(d.parameter, v), n);
            // Nothing nearer the exact conversion shows it too: the next float towards it
            // shows another value.
            const double exact = d.parameter == kOutput      ? 0.5 * std::pow(10.0, port / 40.0)
                                 : d.parameter == kTranspose ? (port + 24.0) / 48.0
                                 : d.parameter == kTune      ? (port + 100.0) / 200.0
                                                             : port / 100.0;
            if (v != static_cast<float>(exact))
            {
                EXPECT_NE(editorShows(d.parameter, std::nextafter(v, static_cast<float>(exact))),
                          n);
            }
        }
}

TEST(ParameterUnits, NamedValuesEndsAndProgramsConvertExactly)
{
    EXPECT_EQ(toNormalized(kDecay, 80.0f), 0.8f);
    EXPECT_EQ(toNormalized(kMix, 100.0f), 1.0f);
    EXPECT_EQ(toNormalized(kOutput, 0.0f), 0.5f);
    EXPECT_EQ(toNormalized(kTranspose, 12.0f), 0.75f);
    EXPECT_EQ(toNormalized(kTune, 0.0f), 0.5f);
    EXPECT_EQ(toNormalized(kBypass, 1.0f), 1.0f);

    // The ends of every port are the ends of the parameter; beyond them values clamp.
    for (int32_t k = 0; k < kNumParams; ++k)
    {
        SCOPED_TRACE(kParameterUnits[k].symbol);
        EXPECT_EQ(toNormalized(k, unitMinimum(k)), 0.0f);
        EXPECT_EQ(toNormalized(k, unitMaximum(k)), 1.0f);
        EXPECT_EQ(toNormalized(k, unitMinimum(k) - 1000.0f), 0.0f);
        EXPECT_EQ(toNormalized(k, unitMaximum(k) + 1000.0f), 1.0f);
        EXPECT_EQ(toUnitValue(k, 0.0f), unitMinimum(k));
        EXPECT_EQ(toUnitValue(k, 1.0f), unitMaximum(k));
        EXPECT_TRUE(std::isnan(toNormalized(k, NAN)));
    }
    EXPECT_EQ(unitMaximum(kOutput), static_cast<float>(20.0 * std::log10(4.0)));

    // Presets and defaults are the factory programs' values in port units: they must come back
    // as exactly those values.
    for (const FactoryProgram& program : kFactoryPrograms)
        for (int32_t k = 0; k < kNumParams; ++k)
            EXPECT_EQ(toNormalized(k, toUnitValue(k, program.values[k])), program.values[k])
                << program.name << " " << kParameterUnits[k].symbol;
}

} // namespace
