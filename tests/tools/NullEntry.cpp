// A library whose entry point exists but makes no effect, for orv-host's error handling.
#include "plugin/vst24.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback)
{
    return nullptr;
}
