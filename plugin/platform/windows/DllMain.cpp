// Windows library entry: the module instance handle is all the library keeps; the editor hands it
// to the toolkit, which registers its window class and creates its windows with it.
#include "plugin/PluginEntry.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    hInstance = instance;
    return TRUE;
}
