// The value texts against the editor's displays: what a host shows is what the editor shows,
// and every text read back gives a value the editor shows as that same text.
#include "effecthost/ParameterText.h"
#include "effect/FactoryPrograms.h"
#include "effecthost/ParameterUnits.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace
{
using namespace orv::effecthost;

std::string textOf(int32_t parameter, float value, bool withUnit)
{
    char text[64];
    EXPECT_TRUE(parameterText(parameter, value, withUnit, text, sizeof text));
    return text;
}

struct Shown
{
    int32_t parameter;
    float value;
    const char* withUnit;
    const char* withoutUnit;
};

const Shown kShown[] = {
    {kOutput, 0.5f, "0.0dB", "0.0"},
    {kOutput, 0.0f, "-oo dB", "-oo"},
    {kOutput, 1.0f, "12.0dB", "12.0"},
    {kOutput, 0.25f, "-12.0dB", "-12.0"},
    {kOutput, 0.48f, "-0.7dB", "-0.7"}, // between -1 and 0 dB the sign stays
    {kMix, 0.25f, "25%", "25"},
    {kMix, 1.0f, "100%", "100"},
    {kDecay, 0.8f, "80%", "80"},
    {kDamp, 0.999f, "99%", "99"}, // cut, not rounded
    {kDetune, 0.0f, "0%", "0"},
    {kTranspose, 0.5f, "0", "0"},
    {kTranspose, 0.75f, "#12", "#12"},
    {kTranspose, 0.0f, "b24", "b24"},
    {kTranspose, 0.44f, "b3", "b3"},
    {kTune, 0.5f, "0c", "0"},
    {kTune, 0.0f, "-100c", "-100"},
    {kTune, 0.56f, "12c", "12"},
    {kBypass, 0.0f, "off", "off"},
    {kBypass, 0.5f, "on", "on"}, // half way counts as bypassed, as in the engine
    {kBypass, 0.49f, "off", "off"},
};

TEST(ParameterText, ShowsTheEditorsTexts)
{
    for (const Shown& s : kShown)
    {
        SCOPED_TRACE(std::to_string(s.parameter) + " at " + std::to_string(s.value));
        EXPECT_EQ(textOf(s.parameter, s.value, true), s.withUnit);
        EXPECT_EQ(textOf(s.parameter, s.value, false), s.withoutUnit);
    }
}

// Every value a text shows reads back as a value shown with exactly that text, with and without
// the unit: over a fine grid of the whole range and at every factory program's values.
TEST(ParameterText, EveryTextReadsBackAsAValueShowingIt)
{
    std::vector<float> values;
    for (int i = 0; i <= 4096; ++i)
        values.push_back(static_cast<float>(i) / 4096.0f);
    for (const FactoryProgram& program : kFactoryPrograms)
        values.insert(values.end(), program.values.begin(), program.values.end());
    for (int32_t k = 0; k < kNumParams; ++k)
        for (float v : values)
            for (bool withUnit : {true, false})
            {
                const std::string text = textOf(k, v, withUnit);
                float back = -1.0f;
                ASSERT_TRUE(parseParameterText(k, text.c_str(), back))
                    << kParameterUnits[k].symbol << " '" << text << "'";
                ASSERT_EQ(textOf(k, back, withUnit), text)
                    << kParameterUnits[k].symbol << " " << v << " -> " << back;
            }
}

struct Read
{
    int32_t parameter;
    const char* typed;
    const char* shownAfter; // null: refused
};

const Read kReads[] = {
    {kOutput, "-inf", "-oo dB"},
    {kOutput, "-oo", "-oo dB"},
    {kOutput, "-INF dB", "-oo dB"},
    {kOutput, " -3.5 dB ", "-3.5dB"},
    {kOutput, "-3.5db", "-3.5dB"},
    {kOutput, "+6", "6.0dB"},
    {kOutput, "-0.0dB", "-0.0dB"},
    {kOutput, "0", "0.0dB"},
    {kOutput, "100 dB", "12.0dB"}, // beyond the top clamps
    {kOutput, "-200dB", "-oo dB"}, // below what the display shows is silence
    {kOutput, "-60", "-60.0dB"},   // the display shows more than the unit range
    {kOutput, "-132.4", "-132.4dB"},
    {kMix, "80 %", "80%"},
    {kMix, "150", "100%"},
    {kMix, "-5%", "0%"},
    {kDecay, "37.5", "37%"},
    {kTranspose, "+7", "#7"},
    {kTranspose, "-3", "b3"},
    {kTranspose, "B3", "b3"},
    {kTranspose, "# 7 st", "#7"},
    {kTranspose, "30", "#24"},
    {kTune, "-12 cents", "-12c"},
    {kTune, "12ct", "12c"},
    {kBypass, "ON", "on"},
    {kBypass, " off ", "off"},
    {kBypass, "1", "on"},
    {kBypass, "bypassed", "on"},
    {kBypass, "process", "off"},
    // Refused
    {kMix, "", nullptr},
    {kMix, "   ", nullptr},
    {kMix, "abc", nullptr},
    {kMix, "80%%", nullptr},
    {kMix, "80 dB", nullptr},
    {kMix, "nan", nullptr},
    {kMix, "inf", nullptr},
    {kMix, "1e3", nullptr},
    {kMix, "--5", nullptr},
    {kMix, "5-", nullptr},
    {kMix, "- 5", nullptr},
    {kMix, "+-5", nullptr},
    {kOutput, "-oo%", nullptr},
    {kOutput, "dB", nullptr},
    {kTranspose, "#-3", nullptr},
    {kTranspose, "#", nullptr},
    {kTune, "12c c", nullptr},
    {kBypass, "maybe", nullptr},
    {kBypass, "0.7", nullptr},
    {kBypass, "onn", nullptr},
};

TEST(ParameterText, ReadsTypedTextsTolerantlyAndRefusesTheRest)
{
    for (const Read& r : kReads)
    {
        SCOPED_TRACE(std::string(kParameterUnits[r.parameter].symbol) + " '" + r.typed + "'");
        float value = 0.123f;
        const bool read = parseParameterText(r.parameter, r.typed, value);
        if (!r.shownAfter)
        {
            EXPECT_FALSE(read);
            EXPECT_EQ(value, 0.123f); // left unchanged
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(textOf(r.parameter, value, true), r.shownAfter);
    }
}

TEST(ParameterText, NamedValuesReadExactly)
{
    float v = -1.0f;
    ASSERT_TRUE(parseParameterText(kDecay, "80%", v));
    EXPECT_EQ(v, 0.8f);
    ASSERT_TRUE(parseParameterText(kOutput, "0.0dB", v));
    EXPECT_EQ(v, 0.5f);
    ASSERT_TRUE(parseParameterText(kTranspose, "#12", v));
    EXPECT_EQ(v, 0.75f);
    ASSERT_TRUE(parseParameterText(kOutput, "-oo dB", v));
    EXPECT_EQ(v, 0.0f);
}

// A host's locale with a decimal comma changes neither the texts nor their reading.
TEST(ParameterText, DecimalPointWhateverTheLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "C.UTF-8"))
        GTEST_SKIP() << "no other locale installed";
    float v = -1.0f;
    EXPECT_TRUE(parseParameterText(kOutput, "-3.5dB", v));
    EXPECT_EQ(textOf(kOutput, v, true), "-3.5dB");
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(ParameterText, ShortBuffersAndUnknownIndices)
{
    char text[4] = "xyz";
    EXPECT_FALSE(parameterText(kOutput, 0.0f, true, text, sizeof text)); // "-oo dB"
    EXPECT_STREQ(text, "-oo");
    EXPECT_TRUE(parameterText(kMix, 0.8f, true, text, sizeof text));
    EXPECT_STREQ(text, "80%");
    EXPECT_FALSE(parameterText(kMix, 0.8f, true, text, 0));
    EXPECT_FALSE(parameterText(kNumParams, 0.5f, true, text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(parameterText(-1, 0.5f, false, text, sizeof text));
    float v = 0.25f;
    EXPECT_FALSE(parseParameterText(kNumParams, "1", v));
    EXPECT_FALSE(parseParameterText(kMix, nullptr, v));
    EXPECT_EQ(v, 0.25f);
    EXPECT_STREQ(unitSuffix(kOutput), "dB");
    EXPECT_STREQ(unitSuffix(kTranspose), "");
    EXPECT_STREQ(unitSuffix(99), "");
}

} // namespace
