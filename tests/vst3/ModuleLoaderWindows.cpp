#include "ModuleLoader.h"

#include <windows.h>

namespace vst3test
{

std::string bundleLibrary(const std::string& bundle)
{
    return bundle + "\\Contents\\x86_64-win\\OrvSympharon.vst3";
}

void* openModule(const std::string& library)
{
    HMODULE handle = LoadLibraryA(library.c_str());
    if (!handle) return nullptr;
    // The entry is optional on Windows; when there, it must succeed.
    auto entry =
        reinterpret_cast<bool (*)()>(reinterpret_cast<void*>(GetProcAddress(handle, "InitDll")));
    return !entry || entry() ? handle : nullptr;
}

void* moduleSymbol(void* module, const char* name)
{
    return module ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name))
                  : nullptr;
}

void closeModule(void* module)
{
    if (auto exit = reinterpret_cast<bool (*)()>(moduleSymbol(module, "ExitDll"))) exit();
}

} // namespace vst3test
