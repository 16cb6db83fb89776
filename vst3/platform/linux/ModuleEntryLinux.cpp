// Linux module entry and exit: a host calls ModuleEntry once after loading the library (nested
// loads count) and ModuleExit before unloading it. The effect keeps no module-wide state to set
// up, so they only keep the count.
#include <atomic>

namespace
{
std::atomic<int> entries{0};
}

extern "C" __attribute__((visibility("default"))) bool ModuleEntry(void*)
{
    entries.fetch_add(1);
    return true;
}

extern "C" __attribute__((visibility("default"))) bool ModuleExit()
{
    return entries.fetch_sub(1) > 0;
}
