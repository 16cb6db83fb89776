#include "ClapTestHost.h"

#include <dlfcn.h>

namespace claptest
{

void* ClapLibrary::open(const std::string& path, std::string& error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) error = dlerror();
    return handle;
}

void* ClapLibrary::symbol(void* handle, const char* name)
{
    return dlsym(handle, name);
}

void ClapLibrary::close(void* handle)
{
    dlclose(handle);
}

} // namespace claptest
