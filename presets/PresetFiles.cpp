// The platform-neutral half of file access: chosen paths split into folder and file name. The
// reads and writes themselves are platform code (platform/<system>/PresetFiles<System>.cpp).
#include "presets/PresetFiles.h"

#include <cstring>

bool splitSelectedPath(const char* path, char* fileName, char* folder)
{
    const char* separator = std::strrchr(path, kPathSeparator);
    if (!separator) return false;
    const size_t folderLength = static_cast<size_t>(separator - path) + 1;
    const size_t nameLength = std::strlen(separator + 1);
    if (folderLength >= kPresetPathCapacity || nameLength >= kPresetPathCapacity) return false;
    std::memcpy(folder, path, folderLength);
    folder[folderLength] = 0;
    std::memcpy(fileName, separator + 1, nameLength + 1);
    return true;
}

std::string resolveChosenPath(const char* path, const char* folder)
{
    if (!path || !*path) return {};
    if (std::strchr(path, kPathSeparator)) return path;
    // A bare name: it lives in the remembered folder, never in the host's current directory.
    if (!folder || !*folder) return {};
    std::string resolved = folder;
    if (resolved.back() != kPathSeparator) resolved += kPathSeparator;
    return resolved + path;
}
