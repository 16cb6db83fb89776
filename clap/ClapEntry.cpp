// The library's one exported symbol, clap_entry, the plug-in factory with the descriptor of the
// one plug-in it makes, and the preset discovery factory.
#include "clap/ClapAbi.h"
#include "clap/ClapPlugin.h"
#include "clap/Identity.h"
#include "clap/PresetDiscovery.h"

#include "OrvVersion.h"

#include <cstring>

namespace
{
using orv::clap::kPluginId;

const char* const kFeatures[] = {"audio-effect", "reverb", "stereo", nullptr};

const clap_plugin_descriptor kDescriptor = {
    CLAP_VERSION_VALUE,
    kPluginId,
    orv::clap::kPluginName,
    orv::clap::kVendor,
    orv::clap::kUrl,
    "",
    "",
    ORV_VERSION_TEXT,
    "Orv Sympharon - string rezonator plug-in",
    kFeatures,
};

const clap_plugin_factory kFactory = {
    [](const clap_plugin_factory*) -> uint32_t { return 1; },
    [](const clap_plugin_factory*, uint32_t index) -> const clap_plugin_descriptor*
    { return index == 0 ? &kDescriptor : nullptr; },
    [](const clap_plugin_factory*, const clap_host* host, const char* id) -> const clap_plugin*
    {
        if (!host || !id || std::strcmp(id, kPluginId) != 0) return nullptr;
        // A host of any 1.x version loads this plug-in; 0.x was never compatible.
        if (host->version.major < 1) return nullptr;
        return orv::clap::ClapPlugin::create(host, &kDescriptor);
    },
};

// The library needs no set-up of its own (each instance makes its effect), so repeated init and
// deinit calls, from a host and a wrapper alike, are harmless.
bool entryInit(const char*)
{
    return true;
}

void entryDeinit() {}

const void* entryFactory(const char* id)
{
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return &orv::clap::kPresetDiscoveryFactory;
    return nullptr;
}
} // namespace

// A data object, not a function. ORV_ENTRY_VISIBILITY comes from the build: the ELF visibility
// that exports it on Linux, dllexport on Windows.
extern "C" ORV_ENTRY_VISIBILITY const clap_plugin_entry clap_entry = {
    CLAP_VERSION_VALUE,
    entryInit,
    entryDeinit,
    entryFactory,
};
