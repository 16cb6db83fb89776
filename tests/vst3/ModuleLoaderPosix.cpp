#include "ModuleLoader.h"

#include <dlfcn.h>

namespace vst3test
{

std::string bundleLibrary(const std::string& bundle)
{
    // The architecture folder is the machine's name (uname -m) and "-linux".
    return bundle + "/Contents/" ORV_VST3_ARCHITECTURE "-linux/OrvSympharon.so";
}

void* openModule(const std::string& library)
{
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = handle ? reinterpret_cast<bool (*)(void*)>(dlsym(handle, "ModuleEntry")) : nullptr;
    return entry && entry(handle) ? handle : nullptr;
}

void* moduleSymbol(void* module, const char* name)
{
    return module ? dlsym(module, name) : nullptr;
}

void closeModule(void* module)
{
    if (auto exit = reinterpret_cast<bool (*)()>(moduleSymbol(module, "ModuleExit"))) exit();
}

} // namespace vst3test
