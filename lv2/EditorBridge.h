/* What the editor library reaches through the plug-in instance handle (instance access).
 *
 * The editor itself lives in the plug-in library, owned by the effect exactly as in the VST 2.4
 * plug-in, together with its toolkit, pictures and process-wide state (knob mode, resources).
 * The editor library is a thin LV2 UI adapter: it finds this header at the instance handle and
 * calls the functions of the bridge, which run inside the plug-in library. Only plain C types
 * cross between the two libraries, so no C++ object or static state exists twice.
 */
#ifndef ORV_LV2_EDITOR_BRIDGE_H
#define ORV_LV2_EDITOR_BRIDGE_H

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <stdint.h>

/* 'OrSy', and the layout version of the structures below. */
#define ORV_LV2_BRIDGE_MAGIC 0x4F725379u
#define ORV_LV2_BRIDGE_VERSION 2u

/* How the plug-in library talks to the host on the editor's behalf: control port writes
 * (format 0, one float), if the host offers them the start and end of a user's gesture and the
 * resizing of the editor's window, and the host's scale for the editor (ui:scaleFactor). */
typedef struct OrvLv2UiHost
{
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;   /* may be null */
    const LV2UI_Resize* resize; /* may be null */
    float scaleFactor;          /* 0 when the host gave none */
} OrvLv2UiHost;

/* Every function runs on the host's UI thread. `ui` identifies the calling UI instance: a
 * function called by a UI whose editor has since been opened by another UI does nothing. */
typedef struct OrvLv2EditorBridge
{
    /* Opens the editor as a child of `parent` (an X window id); returns its window (the
     * LV2UI_Widget) and fills its size, or returns null when it cannot be shown. */
    void* (*open)(LV2_Handle instance, const void* ui, void* parent, const OrvLv2UiHost* host,
                  int* width, int* height);
    /* Handles the editor's window events, redraws and sends pending port writes. */
    void (*idle)(LV2_Handle instance, const void* ui);
    /* The host's value of a control port. */
    void (*portEvent)(LV2_Handle instance, const void* ui, uint32_t port, float value);
    void (*close)(LV2_Handle instance, const void* ui);
} OrvLv2EditorBridge;

/* The instance handle points at this header. */
typedef struct OrvLv2InstanceHeader
{
    uint32_t magic;
    uint32_t version;
    const OrvLv2EditorBridge* bridge;
} OrvLv2InstanceHeader;

#endif
