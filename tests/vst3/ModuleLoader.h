// Opening a VST3 bundle's library as the platform's hosts do (one implementation per platform):
// load it, call its module entry, find its factory; and the reverse.
#pragma once

#include <string>

namespace vst3test
{

// The library inside a bundle folder.
std::string bundleLibrary(const std::string& bundle);
// Loads the library and calls its module entry; null when either fails.
void* openModule(const std::string& library);
void* moduleSymbol(void* module, const char* name);
// Calls the module exit (the library stays loaded, as the plug-in asks).
void closeModule(void* module);

} // namespace vst3test
