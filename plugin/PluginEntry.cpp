// The library instance handle. It lives in the plug-in base library rather than in the entry
// point's file so that everything built on the base (the editor glue hands it to the toolkit)
// links in tests too, where no library entry sets it.
#include "plugin/PluginEntry.h"

void* hInstance = nullptr;
