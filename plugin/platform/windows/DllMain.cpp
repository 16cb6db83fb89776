// Windows library entry: the module instance handle is all the library keeps; the toolkit needs
// it to find resources and register its window class.
#include "plugin/PluginEntry.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    hInstance = instance;
    return TRUE;
}
