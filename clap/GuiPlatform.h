// What differs between the window systems for the CLAP editor: the window API it embeds into,
// the native parent taken from the host's window record, and whether the host's timer and file
// descriptor support must drive the editor (X11, where the editor has no thread or timer of its
// own) or the editor's own window timer does (Win32).
#pragma once

#include "clap/ClapAbi.h"

namespace orv::clap
{

extern const char* const kGuiApi;

// The parent window of the host's record as the effect's editor takes it.
void* nativeParent(const clap_window& window);

// True when the editor needs its idle called from the host's timer and its event connection
// watched through the host's file descriptor support.
bool editorNeedsHostLoop();

} // namespace orv::clap
