// Windows module entry and exit, called by hosts after LoadLibrary and before FreeLibrary. The
// module handle the toolkit needs comes from DllMain; nothing else is set up here.
#include <atomic>

namespace
{
std::atomic<int> entries{0};
}

extern "C" bool InitDll()
{
    entries.fetch_add(1);
    return true;
}

extern "C" bool ExitDll()
{
    return entries.fetch_sub(1) > 0;
}
