// The plug-in library's LV2 entry: the descriptor and the state interface, each function handing
// over to the instance.
#include "lv2/Lv2Effect.h"
#include "lv2/Uris.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

namespace
{
using orv::lv2::Lv2Effect;

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features)
{
    Lv2Effect* effect = Lv2Effect::create(sampleRate, features);
    return effect ? effect->handle() : nullptr;
}

void connectPort(LV2_Handle instance, uint32_t port, void* data)
{
    Lv2Effect::fromHandle(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance)
{
    Lv2Effect::fromHandle(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames)
{
    Lv2Effect::fromHandle(instance)->run(frames);
}

void deactivate(LV2_Handle instance)
{
    Lv2Effect::fromHandle(instance)->deactivate();
}

void cleanup(LV2_Handle instance)
{
    delete Lv2Effect::fromHandle(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*)
{
    return Lv2Effect::fromHandle(instance)->save(store, state);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*)
{
    return Lv2Effect::fromHandle(instance)->restore(retrieve, state);
}

const LV2_State_Interface kStateInterface = {save, restore};

const void* extensionData(const char* uri)
{
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kDescriptor = {ORV_LV2_PLUGIN_URI, instantiate, connectPort,  activate, run,
                                    deactivate,         cleanup,     extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
