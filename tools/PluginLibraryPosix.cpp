// Loading a plug-in shared object through its exported entry point, as a Linux host does.
#include "tools/PluginLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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
    return findEntry(path, error);
}

void* PluginLibrary::symbol(const char* name) const
{
    return dlsym(handle, name);
}

void PluginLibrary::unload()
{
    if (handle) dlclose(handle);
    handle = nullptr;
    entry = nullptr;
    libraryPath.clear();
}

std::vector<std::string> defaultPluginCandidates()
{
    namespace fs = std::filesystem;
    const char* const kFileName = "OrvSympharon.so";
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path dir = ec ? fs::current_path() : self.parent_path();
    std::vector<fs::path> places = {dir / kFileName,
                                    (dir / ".." / "lib" / "lxvst" / kFileName).lexically_normal()};
    const char* home = std::getenv("HOME");
    if (home && *home) places.push_back(fs::path(home) / ".vst" / kFileName);
    places.push_back(fs::path("/usr/lib/lxvst") / kFileName);

    std::vector<std::string> candidates;
    for (const fs::path& place : places)
        if (std::find(candidates.begin(), candidates.end(), place.string()) == candidates.end())
            candidates.push_back(place.string());
    return candidates;
}

bool findDefaultPlugin(std::string& path, std::string& error)
{
    const std::vector<std::string> candidates = defaultPluginCandidates();
    std::string looked;
    for (const std::string& candidate : candidates)
    {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec))
        {
            path = candidate;
            return true;
        }
        looked += (looked.empty() ? "" : ", ") + candidate;
    }
    error = "no plug-in given and none found at " + looked;
    return false;
}
