#include "effecthost/ParameterText.h"

#include "editor/ADEditor.h"
#include "effecthost/ParameterUnits.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace orv::effecthost
{
namespace
{
constexpr size_t kEditorTextSize = 256; // the editor's conversion buffer

bool isParameter(int32_t parameter)
{
    return parameter >= 0 && parameter < kNumParams;
}

// The gain the editor's Output display is given for a normalized value.
float outputGainShown(float p)
{
    return static_cast<float>(static_cast<double>(p * p) * 4.0);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isOneOf(std::string_view s, std::initializer_list<std::string_view> words)
{
    for (std::string_view w : words)
        if (equalsIgnoringCase(s, w)) return true;
    return false;
}

// A decimal number with an optional sign at the start of s, independent of the locale (a host
// may have set one that writes a decimal comma). The rest after it is left in s.
bool leadingNumber(std::string_view& s, double& value)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-'))
    {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '.'))
        return false;
    double v = 0.0;
    const auto [end, error] =
        std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(v)) return false;
    s.remove_prefix(static_cast<size_t>(end - s.data()));
    value = negative ? -v : v;
    return true;
}

// The number of a text that is a number followed by nothing or by one of the unit words.
bool numberWithUnit(std::string_view s, std::initializer_list<std::string_view> units,
                    double& value)
{
    double v = 0.0;
    if (!leadingNumber(s, v)) return false;
    s = trimmed(s);
    if (!s.empty() && !isOneOf(s, units)) return false;
    value = v;
    return true;
}

// A text as the editor's display shows it.
void editorText(int32_t parameter, float normalized, char* text)
{
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        decibelsToString(outputGainShown(normalized), text);
        break;
    case Unit::Percent:
        percentToString(normalized, text);
        break;
    case Unit::Semitone:
        semitonesToString(normalized, text);
        break;
    case Unit::Cent:
        centsToString(normalized, text);
        break;
    case Unit::Toggle:
        std::strcpy(text, editorShows(parameter, normalized) != 0 ? "on" : "off");
        break;
    }
}

bool parseUnitValue(int32_t parameter, std::string_view s, double& unitValue)
{
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        if (isOneOf(s, {"-oo", "-oo dB", "-oodB", "-inf", "-inf dB", "-infdB", "-infinity"}))
        {
            unitValue = -HUGE_VAL;
            return true;
        }
        return numberWithUnit(s, {"dB"}, unitValue);
    case Unit::Percent:
        return numberWithUnit(s, {"%"}, unitValue);
    case Unit::Cent:
        return numberWithUnit(s, {"c", "ct", "cent", "cents"}, unitValue);
    case Unit::Semitone:
    {
        // The editor writes a raise as "#7" and a lowering as "b7".
        const char first = s.empty() ? '\0' : s.front();
        const bool sharp = first == '#';
        const bool flat = first == 'b' || first == 'B';
        if (sharp || flat) s = trimmed(s.substr(1));
        if ((sharp || flat) && !s.empty() && (s.front() == '+' || s.front() == '-')) return false;
        double v = 0.0;
        if (!numberWithUnit(s, {"st", "semi", "semitone", "semitones"}, v)) return false;
        unitValue = flat ? -v : v;
        return true;
    }
    case Unit::Toggle:
        if (isOneOf(s, {"on", "1", "yes", "true", "bypassed"}))
            unitValue = 1.0;
        else if (isOneOf(s, {"off", "0", "no", "false", "process"}))
            unitValue = 0.0;
        else
            return false;
        return true;
    }
    return false;
}
} // namespace

const char* unitSuffix(int32_t parameter)
{
    if (!isParameter(parameter)) return "";
    switch (kParameterUnits[static_cast<size_t>(parameter)].unit)
    {
    case Unit::Decibel:
        return "dB";
    case Unit::Percent:
        return "%";
    case Unit::Cent:
        return "c";
    default:
        return "";
    }
}

bool parameterText(int32_t parameter, float normalized, bool withUnit, char* text, size_t capacity)
{
    if (!text || capacity == 0) return false;
    text[0] = '\0';
    if (!isParameter(parameter)) return false;
    char shown[kEditorTextSize] = "";
    editorText(parameter, normalized, shown);
    size_t length = std::strlen(shown);
    if (!withUnit)
    {
        const size_t unit = std::strlen(unitSuffix(parameter));
        if (unit != 0 && length >= unit &&
            std::memcmp(shown + length - unit, unitSuffix(parameter), unit) == 0)
            length -= unit;
        while (length > 0 && shown[length - 1] == ' ')
            --length;
    }
    const size_t copied = length < capacity ? length : capacity - 1;
    std::memcpy(text, shown, copied);
    text[copied] = '\0';
    return copied == length;
}

bool parseParameterText(int32_t parameter, const char* text, float& normalized)
{
    if (!text || !isParameter(parameter)) return false;
    double unitValue = 0.0;
    if (!parseUnitValue(parameter, trimmed(text), unitValue)) return false;
    const double highest = unitMaximum(parameter);
    // The Output display shows levels below the unit range too; "-oo" is silence.
    if (parameter == kOutput)
    {
        // Levels just below 0 dB show as "-0.0dB": the highest value below 0 dB is the one
        // shown so.
        if (unitValue == 0.0 && std::signbit(unitValue))
        {
            normalized = std::nextafter(toNormalized(kOutput, 0.0f), 0.0f);
            return true;
        }
        normalized = unitValue >= highest ? 1.0f
                     : unitValue < -1e6   ? 0.0f
                                          : outputNormalizedFor(static_cast<float>(unitValue));
        return true;
    }
    // Beyond the range the value clamps to the parameter's ends.
    const double lowest = unitMinimum(parameter);
    const float clamped = static_cast<float>(unitValue < lowest    ? lowest
                                             : unitValue > highest ? highest
                                                                   : unitValue);
    normalized = toNormalized(parameter, clamped);
    return true;
}

} // namespace orv::effecthost
