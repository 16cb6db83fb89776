#include "tools/PluginLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

PluginLibrary::~PluginLibrary()
{
    unload();
}

bool PluginLibrary::load(const std::string& path, std::string& error)
{
    unload();
    struct stat info
    {
    };
    if (stat(path.c_str(), &info) != 0)
    {
        error = "cannot open plug-in '" + path + "': " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        error = "cannot open plug-in '" + path + "': not a regular file";
        return false;
    }
    // A path without a slash would make dlopen search the library path instead of the file.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* why = dlerror();
        error = "cannot load plug-in '" + path + "': " + (why ? why : "not a loadable library");
        return false;
    }
    entry = reinterpret_cast<EntryPoint>(dlsym(handle, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryPoint>(dlsym(handle, "main"));
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

void PluginLibrary::unload()
{
    if (handle) dlclose(handle);
    handle = nullptr;
    entry = nullptr;
    libraryPath.clear();
}

std::string defaultPluginPath()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto dir = ec ? std::filesystem::current_path() : self.parent_path();
    return (dir / "OrvSympharon.so").string();
}
