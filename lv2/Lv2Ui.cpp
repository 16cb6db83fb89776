// The editor library: an X11 UI that embeds the plug-in's own editor in the host's window. It
// needs the plug-in instance (instance access) and drives the editor through the bridge found
// there (EditorBridge.h); it shares no code and no state with the plug-in library.
#include "lv2/EditorBridge.h"
#include "lv2/Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

namespace
{
struct EditorUi
{
    LV2_Handle instance;
    const OrvLv2EditorBridge* bridge;
};

const void* findFeature(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

// The host's ui:scaleFactor among the options it passed (a float), or 0.
float scaleFactorOption(const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    const auto* options =
        static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    if (!map || !options) return 0.0f;
    const LV2_URID scale = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
    const LV2_URID atomDouble = map->map(map->handle, LV2_ATOM__Double);
    for (const LV2_Options_Option* o = options; o->key || o->value; ++o)
    {
        if (o->key != scale || !o->value) continue;
        if (o->type == atomFloat && o->size == sizeof(float))
            return *static_cast<const float*>(o->value);
        if (o->type == atomDouble && o->size == sizeof(double))
            return static_cast<float>(*static_cast<const double*>(o->value));
    }
    return 0.0f;
}

// The bridge of an instance made by this bundle's plug-in library, or null.
const OrvLv2EditorBridge* bridgeOf(LV2_Handle instance)
{
    const auto* header = static_cast<const OrvLv2InstanceHeader*>(instance);
    if (!header || header->magic != ORV_LV2_BRIDGE_MAGIC ||
        header->version != ORV_LV2_BRIDGE_VERSION)
        return nullptr;
    return header->bridge;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, ORV_LV2_PLUGIN_URI) != 0 || !write || !widget)
        return nullptr;
    void* parent = const_cast<void*>(findFeature(features, LV2_UI__parent));
    auto instance = const_cast<void*>(findFeature(features, LV2_INSTANCE_ACCESS_URI));
    const OrvLv2EditorBridge* bridge = bridgeOf(instance);
    if (!parent || !bridge) return nullptr;

    auto* ui = new (std::nothrow) EditorUi{instance, bridge};
    if (!ui) return nullptr;
    const auto* resize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize));
    const OrvLv2UiHost host{write, controller,
                            static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch)),
                            resize, scaleFactorOption(features)};
    int width = 0;
    int height = 0;
    void* window = bridge->open(instance, ui, parent, &host, &width, &height);
    if (!window)
    {
        delete ui;
        return nullptr;
    }
    *widget = window;
    if (resize) resize->ui_resize(resize->handle, width, height);
    return ui;
}

void cleanup(LV2UI_Handle handle)
{
    auto* ui = static_cast<EditorUi*>(handle);
    ui->bridge->close(ui->instance, ui);
    delete ui;
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
{
    auto* ui = static_cast<EditorUi*>(handle);
    if (format != 0 || size != sizeof(float) || !buffer) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    ui->bridge->portEvent(ui->instance, ui, port, value);
}

int idle(LV2UI_Handle handle)
{
    auto* ui = static_cast<EditorUi*>(handle);
    ui->bridge->idle(ui->instance, ui);
    return 0; // embedded in the host's window: never closes by itself
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri)
{
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {ORV_LV2_UI_URI, instantiate, cleanup, portEvent,
                                      extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
