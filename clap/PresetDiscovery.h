// The preset discovery factory: one provider that lists the six factory programs as presets
// inside the plug-in, so that a host's preset browser shows them. A host loads one through the
// plug-in's preset-load extension with the same load key (the program's number, "0" to "5"),
// which selects that program as the editor's program menu does.
#pragma once

#include "clap/ClapAbi.h"

#include <cstdint>

namespace orv::clap
{

extern const clap_preset_discovery_factory kPresetDiscoveryFactory;

// The program number a load key names, or -1.
int32_t programOfLoadKey(const char* loadKey);

} // namespace orv::clap
