// Options shared by the commands that run audio through the plug-in.
#pragma once

#include "tools/Commands.h"
#include "tools/EffectSession.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct EffectSettings
{
    std::string pluginPath;                         // empty: the default plug-in
    bool pluginGiven = false;                       // --plugin PATH was on the command line
    std::optional<std::string> program;             // --program NAME|N
    std::vector<std::pair<std::string, float>> set; // --set NAME=VALUE
};

// Takes --plugin, --program and --set out of args (the rest stays). False with a reason on a
// malformed option or a value that is not a number from 0 to 1.
bool takeEffectOptions(Arguments& args, EffectSettings& settings, std::string& error);

// Loads the plug-in and applies the program, then the parameter values. False with a reason
// for an unknown program or parameter.
bool openConfiguredEffect(const EffectSettings& settings, EffectSession& session,
                          std::string& error);
// Applies the program and the parameter values to an effect already in the session.
bool configureEffect(const EffectSettings& settings, EffectSession& session, std::string& error);
