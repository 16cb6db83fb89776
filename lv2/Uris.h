// The names under which hosts know the LV2 face: plug-in, editor, saved program store, presets.
#pragma once

#define ORV_LV2_PLUGIN_URI "https://www.orvatone.com/lv2/OrvSympharon"
#define ORV_LV2_UI_URI ORV_LV2_PLUGIN_URI "#ui"
// The whole program store (six programs and the current one) as one atom:Chunk.
#define ORV_LV2_PROGRAM_STORE_URI ORV_LV2_PLUGIN_URI "#programStore"
// Factory presets are ORV_LV2_PRESET_PREFIX followed by a name made from the program's name.
#define ORV_LV2_PRESET_PREFIX ORV_LV2_PLUGIN_URI "#preset-"
