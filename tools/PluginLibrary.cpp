// The platform-free half of PluginLibrary: finding the entry point in the library that
// PluginLibraryPosix.cpp or PluginLibraryWindows.cpp opened, and creating effects through it.
#include "tools/PluginLibrary.h"

PluginLibrary::~PluginLibrary()
{
    unload();
}

bool PluginLibrary::findEntry(const std::string& path, std::string& error)
{
    entry = reinterpret_cast<EntryPoint>(symbol("VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryPoint>(symbol("main"));
    if (!entry)
    {
        error =
            "'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
        unload();
        return false;
    }
    libraryPath = path;
    return true;
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
