#include "clap/GuiPlatform.h"

namespace orv::clap
{

const char* const kGuiApi = CLAP_WINDOW_API_WIN32;

void* nativeParent(const clap_window& window)
{
    return window.win32;
}

bool editorNeedsHostLoop()
{
    // The editor's window timer drives it on the thread that owns its window.
    return false;
}

} // namespace orv::clap
