// The subcommands of orv-host. Each returns the process exit code; failures print one line on
// stderr ("orv-host: ...") before returning non-zero.
#pragma once

#include "plugin/vst24.h"

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int runInfo(const Arguments& args);
int runRender(const Arguments& args);
int runDemo(const Arguments& args);
int runShot(const Arguments& args);

// Prints "orv-host: <message>" on stderr and returns the failure exit code.
int fail(const std::string& message);

// The host callback orv-host gives every effect: it answers the version query (2400) and
// acknowledges everything else with 0.
VstIntPtr orvHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                          void* ptr, float opt);
