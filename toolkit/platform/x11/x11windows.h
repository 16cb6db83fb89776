#pragma once
// Finding and raising top-level windows on X11, for the windows of other programs that belong to
// the editor: the host's window that holds it and the file dialogs it starts.
#include <cstdint>
#include <xcb/xcb.h>

namespace VSTGUI
{

// The top-level window that holds `window`: the nearest ancestor that a window manager handles
// (it has WM_STATE), or without a window manager the ancestor just below the root.
xcb_window_t topLevelWindowOf(xcb_connection_t* connection, xcb_window_t window);

// Brings the shown top-level windows of process `pid` (as they declare in _NET_WM_PID) to the
// front, on the display of $DISPLAY: asks the window manager to activate them and restacks them
// above their siblings, which is what counts when there is no window manager. True when at least
// one window was found.
bool raiseWindowsOfProcess(uint32_t pid);

} // namespace VSTGUI
