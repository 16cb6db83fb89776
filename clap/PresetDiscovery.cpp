#include "clap/PresetDiscovery.h"

#include "clap/Identity.h"
#include "effect/FactoryPrograms.h"

#include <array>
#include <cstring>
#include <new>
#include <string_view>

namespace orv::clap
{
namespace
{
constexpr const char* kProviderId = "com.orvatone.orv-sympharon.factory-programs";

const clap_preset_discovery_provider_descriptor kProviderDescriptor = {
    CLAP_VERSION_VALUE,
    kProviderId,
    "Orv Sympharon factory programs",
    kVendor,
};

// The load keys of the programs.
constexpr std::array<const char*, 6> kLoadKeys = {"0", "1", "2", "3", "4", "5"};
static_assert(kLoadKeys.size() == kFactoryPrograms.size());

bool providerInit(const clap_preset_discovery_provider* provider)
{
    const auto* indexer =
        static_cast<const clap_preset_discovery_indexer*>(provider->provider_data);
    if (!indexer || !indexer->declare_location) return false;
    const clap_preset_discovery_location location = {
        CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Orv Sympharon factory programs",
        CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
    return indexer->declare_location(indexer, &location);
}

bool providerMetadata(const clap_preset_discovery_provider*, uint32_t kind, const char*,
                      const clap_preset_discovery_metadata_receiver* receiver)
{
    if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || !receiver || !receiver->begin_preset)
        return false;
    const clap_universal_plugin_id plugin = {"clap", kPluginId};
    for (size_t i = 0; i < kLoadKeys.size(); ++i)
    {
        if (!receiver->begin_preset(receiver, kFactoryPrograms[i].name, kLoadKeys[i])) break;
        if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &plugin);
        if (receiver->set_flags)
            receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    return true;
}

// A provider per indexer: the record holds the indexer, nothing is allocated.
struct Provider
{
    clap_preset_discovery_provider record;
};

const clap_preset_discovery_provider* createProvider(const clap_preset_discovery_factory*,
                                                     const clap_preset_discovery_indexer* indexer,
                                                     const char* id)
{
    if (!indexer || !id || std::strcmp(id, kProviderId) != 0) return nullptr;
    auto* provider = new (std::nothrow) Provider{{
        &kProviderDescriptor,
        const_cast<clap_preset_discovery_indexer*>(indexer),
        providerInit,
        [](const clap_preset_discovery_provider* p)
        { delete reinterpret_cast<const Provider*>(p); },
        providerMetadata,
        [](const clap_preset_discovery_provider*, const char*) -> const void* { return nullptr; },
    }};
    return provider ? &provider->record : nullptr;
}
} // namespace

const clap_preset_discovery_factory kPresetDiscoveryFactory = {
    [](const clap_preset_discovery_factory*) -> uint32_t { return 1; },
    [](const clap_preset_discovery_factory*,
       uint32_t index) -> const clap_preset_discovery_provider_descriptor*
    { return index == 0 ? &kProviderDescriptor : nullptr; },
    createProvider,
};

int32_t programOfLoadKey(const char* loadKey)
{
    if (!loadKey) return -1;
    for (size_t i = 0; i < kLoadKeys.size(); ++i)
        if (std::string_view(loadKey) == kLoadKeys[i]) return static_cast<int32_t>(i);
    return -1;
}

} // namespace orv::clap
