// Loads a VST 2.4 plug-in library and creates effects through its exported entry point, as a
// host does. Used by orv-host and by the tests that drive the built plug-in.
#pragma once

#include "plugin/vst24.h"

#include <string>
#include <vector>

class PluginLibrary
{
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Opens the library and finds VSTPluginMain (or main). On failure returns false and puts a
    // one-line reason into error.
    bool load(const std::string& path, std::string& error);
    // Calls the entry point; null with a reason when no usable effect came back.
    AEffect* instantiate(audioMasterCallback host, std::string& error) const;
    void unload();

    const std::string& path() const { return libraryPath; }
    bool isLoaded() const { return handle != nullptr; }

private:
    using EntryPoint = AEffect* (*)(audioMasterCallback);
    // The address `name` has in the opened library, or null (one implementation per platform).
    void* symbol(const char* name) const;
    // Finds VSTPluginMain (or main) in the opened library; without one, unloads it and says why.
    bool findEntry(const std::string& path, std::string& error);
    void* handle = nullptr;
    EntryPoint entry = nullptr;
    std::string libraryPath;
};

// Where a plug-in is looked for when none is given, in this order: beside the running executable
// (the build puts it there), in the plug-in folder of the installation the executable belongs to
// (<prefix>/bin/orv-host finds <prefix>/lib/lxvst/), in the user's ~/.vst/ and in /usr/lib/lxvst/.
std::vector<std::string> defaultPluginCandidates();
// The first of those that is a file; false with a reason naming the places looked at.
bool findDefaultPlugin(std::string& path, std::string& error);

// Sends one dispatcher request to an effect.
inline VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
