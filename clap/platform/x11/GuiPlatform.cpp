#include "clap/GuiPlatform.h"

#include <cstdint>

namespace orv::clap
{

const char* const kGuiApi = CLAP_WINDOW_API_X11;

void* nativeParent(const clap_window& window)
{
    // The editor takes an X window id in the pointer it is given, as VST 2.4 hosts pass it.
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
}

bool editorNeedsHostLoop()
{
    return true;
}

} // namespace orv::clap
