#include "ClapTestHost.h"

#include <windows.h>

namespace claptest
{

void* ClapLibrary::open(const std::string& path, std::string& error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) error = "LoadLibrary failed for " + path + ": " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* ClapLibrary::symbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void ClapLibrary::close(void* handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}

} // namespace claptest
