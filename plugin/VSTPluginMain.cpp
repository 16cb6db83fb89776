// The library's exported entry point. On Linux the linker also exports it as `main`; on
// Windows a module-definition file adds the alias.
#include "plugin/PluginEntry.h"

#include <cstdint>
#include <new>

// Set by the platform's library entry where there is one (Windows); null elsewhere.
void* hInstance = nullptr;

// ORV_ENTRY_VISIBILITY comes from the build: the ELF visibility that exports the symbol on Linux,
// nothing on Windows, where the module-definition file names the exports.
extern "C" ORV_ENTRY_VISIBILITY AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    // Exported as `main` too: a caller passing a small integer (an argument count) instead of a
    // host callback gets nothing.
    if (reinterpret_cast<uintptr_t>(audioMaster) < 0x100) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    // No exception may cross into the host: when memory for the effect cannot be had, the host
    // simply gets no effect.
    try
    {
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect ? effect->getAeffect() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
