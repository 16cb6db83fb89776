// orv-lv2-turtle BUNDLE_DIR DSP_BINARY UI_BINARY
// Writes the bundle's Turtle files (manifest.ttl, OrvSympharon.ttl, presets.ttl) at build time
// from the same tables the code uses: the port symbols and units, the ranges and defaults as
// the port conversions give them for program "Default", and the factory programs as presets.
#include "effect/FactoryPrograms.h"
#include "effect/ParameterTable.h"
#include "lv2/Ports.h"
#include "lv2/Uris.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
using namespace orv::lv2;

// The shortest decimal that reads back as the same float, always with a fraction, so that
// Turtle types it as a decimal number.
std::string number(float value)
{
    char text[64];
    for (int decimals = 1; decimals <= 12; ++decimals)
    {
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) return text;
    }
    std::snprintf(text, sizeof text, "%.9e", static_cast<double>(value));
    return text;
}

std::string quoted(const std::string& text)
{
    std::string s = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
    }
    return s + "\"";
}

std::string trimmed(const char* text)
{
    std::string s = text;
    const auto first = s.find_first_not_of(' ');
    const auto last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

// "Low & Dark" -> "low-dark"
std::string presetUri(const char* name)
{
    std::string slug;
    for (const char* c = name; *c; ++c)
    {
        if (std::isalnum(static_cast<unsigned char>(*c)))
            slug += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-')
        slug.pop_back();
    return "<" ORV_LV2_PRESET_PREFIX + slug + ">";
}

const char* unitOf(Unit unit)
{
    switch (unit)
    {
    case Unit::Decibel:
        return "units:db";
    case Unit::Percent:
        return "units:pc";
    case Unit::Semitone:
        return "units:semitone12TET";
    case Unit::Cent:
        return "units:cent";
    default:
        return nullptr;
    }
}

// Output, Mix and Bypass are kept across program changes inside the plug-in, so a preset
// carries only the five parameters of the sound itself.
bool isPresetParameter(int32_t parameter)
{
    return !isGlobalParameter(parameter);
}

constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string manifest(const std::string& dspBinary, const std::string& uiBinary)
{
    std::ostringstream t;
    t << kPrefixes;
    t << "<" ORV_LV2_PLUGIN_URI ">\n    a lv2:Plugin ;\n    lv2:binary <" << dspBinary
      << "> ;\n    rdfs:seeAlso <OrvSympharon.ttl> .\n\n";
    t << "<" ORV_LV2_UI_URI ">\n    a ui:X11UI ;\n    ui:binary <" << uiBinary
      << "> ;\n    rdfs:seeAlso <OrvSympharon.ttl> .\n";
    for (const FactoryProgram& program : kFactoryPrograms)
        t << "\n"
          << presetUri(program.name)
          << "\n    a pset:Preset ;\n    lv2:appliesTo <" ORV_LV2_PLUGIN_URI
             "> ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return t.str();
}

std::string audioPort(uint32_t index, const char* direction, const char* symbol, const char* name)
{
    std::ostringstream t;
    t << "[\n        a lv2:AudioPort , lv2:" << direction << " ;\n        lv2:index " << index
      << " ;\n        lv2:symbol \"" << symbol << "\" ;\n        lv2:name \"" << name
      << "\"\n    ]";
    return t.str();
}

std::string controlPort(int32_t parameter)
{
    const ParameterUnit& port = kParameterUnits[static_cast<size_t>(parameter)];
    std::ostringstream t;
    t << "[\n        a lv2:ControlPort , lv2:InputPort ;\n        lv2:index "
      << kFirstControlPort + static_cast<uint32_t>(parameter) << " ;\n        lv2:symbol \""
      << port.symbol << "\" ;\n        lv2:name "
      << quoted(trimmed(kParameterInfo[static_cast<size_t>(parameter)].name))
      << " ;\n        lv2:default "
      << number(toUnitValue(parameter, kFactoryPrograms[0].values[static_cast<size_t>(parameter)]))
      << " ;\n        lv2:minimum " << number(unitMinimum(parameter)) << " ;\n        lv2:maximum "
      << number(unitMaximum(parameter));
    if (const char* unit = unitOf(port.unit)) t << " ;\n        units:unit " << unit;
    if (port.unit == Unit::Semitone) t << " ;\n        lv2:portProperty lv2:integer";
    if (port.unit == Unit::Toggle) t << " ;\n        lv2:portProperty lv2:toggled";
    if (port.unit == Unit::Decibel)
        t << " ;\n        rdfs:comment \"The lowest value is silence.\"";
    t << "\n    ]";
    return t.str();
}

std::string plugin()
{
    std::ostringstream t;
    t << kPrefixes;
    t << "<" ORV_LV2_PLUGIN_URI ">\n"
         "    a lv2:Plugin , lv2:ReverbPlugin , doap:Project ;\n"
         "    doap:name \"Orv Sympharon\" ;\n"
         "    rdfs:comment \"Orv Sympharon - string resonator plug-in\" ;\n"
         "    doap:license <http://opensource.org/licenses/MIT> ;\n"
         "    doap:maintainer [\n"
         "        foaf:name \"www.orvatone.com\" ;\n"
         "        foaf:homepage <https://www.orvatone.com/>\n"
         "    ] ;\n"
         "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
         "    lv2:extensionData state:interface ;\n"
         "    ui:ui <" ORV_LV2_UI_URI "> ;\n"
         "    lv2:port ";
    t << audioPort(kInLeft, "InputPort", "in_left", "Left In") << " , "
      << audioPort(kInRight, "InputPort", "in_right", "Right In") << " , "
      << audioPort(kOutLeft, "OutputPort", "out_left", "Left Out") << " , "
      << audioPort(kOutRight, "OutputPort", "out_right", "Right Out");
    for (int32_t k = 0; k < kNumParams; ++k)
        t << " , " << controlPort(k);
    t << " .\n\n";
    // The editor runs inside the plug-in library and is reached through the instance.
    t << "<" ORV_LV2_UI_URI ">\n"
         "    a ui:X11UI ;\n"
         "    lv2:requiredFeature ui:idleInterface , ui:parent ,\n"
         "        <http://lv2plug.in/ns/ext/instance-access> ;\n"
         "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize ;\n"
         "    lv2:extensionData ui:idleInterface .\n";
    return t.str();
}

std::string presets()
{
    std::ostringstream t;
    t << kPrefixes;
    for (const FactoryProgram& program : kFactoryPrograms)
    {
        t << presetUri(program.name)
          << "\n    a pset:Preset ;\n    lv2:appliesTo <" ORV_LV2_PLUGIN_URI "> ;\n    rdfs:label "
          << quoted(program.name) << " ;\n    lv2:port ";
        const char* separator = "";
        for (int32_t k = 0; k < kNumParams; ++k)
        {
            if (!isPresetParameter(k)) continue;
            t << separator << "[\n        lv2:symbol \""
              << kParameterUnits[static_cast<size_t>(k)].symbol << "\" ;\n        pset:value "
              << number(toUnitValue(k, program.values[static_cast<size_t>(k)])) << "\n    ]";
            separator = " , ";
        }
        t << " .\n\n";
    }
    return t.str();
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    std::fprintf(stderr, "orv-lv2-turtle: cannot write %s\n", path.c_str());
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: orv-lv2-turtle BUNDLE_DIR DSP_BINARY UI_BINARY\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const bool ok = writeFile(dir + "manifest.ttl", manifest(argv[2], argv[3])) &&
                    writeFile(dir + "OrvSympharon.ttl", plugin()) &&
                    writeFile(dir + "presets.ttl", presets());
    return ok ? 0 : 1;
}
