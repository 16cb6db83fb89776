// The platform-free half of PluginLibrary: creating an effect through the entry point that
// PluginLibraryPosix.cpp or PluginLibraryWindows.cpp found.
#include "tools/PluginLibrary.h"

PluginLibrary::~PluginLibrary()
{
    unload();
}

AEffect* PluginLibrary::instantiate(audioMasterCallback host, std::string& error) const
{
    if (!entry)
    {
        error = "no plug-in loaded";
        return nullptr;
    }
    AEffect* effect = entry(host);
    if (!effect)
    {
        error = "the entry point of '" + libraryPath + "' returned no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic)
    {
        error = "the entry point of '" + libraryPath + "' returned a record without the VstP magic";
        return nullptr;
    }
    return effect;
}
