#include "tools/RenderOptions.h"

#include "tools/PluginLibrary.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
bool parseUnitValue(const std::string& text, float& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != 0 || !std::isfinite(v) || v < 0.0 || v > 1.0) return false;
    value = static_cast<float>(v);
    return true;
}
} // namespace

bool takeEffectOptions(Arguments& args, EffectSettings& settings, std::string& error)
{
    Arguments rest;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--plugin" || arg == "--program" || arg == "--set";
        if (!takesValue)
        {
            rest.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size())
        {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--plugin")
        {
            settings.pluginPath = value;
            settings.pluginGiven = true;
        }
        else if (arg == "--program")
            settings.program = value;
        else
        {
            const auto eq = value.find('=');
            if (eq == std::string::npos || eq == 0)
            {
                error = "--set takes NAME=VALUE, not '" + value + "'";
                return false;
            }
            float unitValue;
            if (!parseUnitValue(value.substr(eq + 1), unitValue))
            {
                error = "value for '" + value.substr(0, eq) +
                        "' must be a number from 0 to 1, not '" + value.substr(eq + 1) + "'";
                return false;
            }
            settings.set.emplace_back(value.substr(0, eq), unitValue);
        }
    }
    args = rest;
    return true;
}

bool openConfiguredEffect(const EffectSettings& settings, EffectSession& session,
                          std::string& error)
{
    return session.open(settings.pluginPath, error) && configureEffect(settings, session, error);
}

bool configureEffect(const EffectSettings& settings, EffectSession& session, std::string& error)
{
    if (settings.program)
    {
        const int program = session.findProgram(*settings.program);
        if (program < 0)
        {
            std::string known;
            for (const auto& name : session.programNames())
                known += (known.empty() ? "" : ", ") + ("\"" + name + "\"");
            error = "unknown program '" + *settings.program + "' (programs: " + known + ")";
            return false;
        }
        if (!session.selectProgram(program, error)) return false;
    }
    for (const auto& [name, value] : settings.set)
    {
        const int index = session.findParameter(name);
        if (index < 0)
        {
            std::string known;
            for (const auto& p : session.parameterNames())
                known += (known.empty() ? "" : ", ") + p;
            error = "unknown parameter '" + name + "' (parameters: " + known + ")";
            return false;
        }
        session.setParameter(index, value);
    }
    return true;
}
