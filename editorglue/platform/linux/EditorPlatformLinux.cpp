// Linux: nothing to set up per editor, and no window timer: the host's effEditIdle drives the
// frame's idle.
#include "editorglue/EditorPlatform.h"

EditorPlatformScope::EditorPlatformScope() = default;
EditorPlatformScope::~EditorPlatformScope() = default;

void EditorIdleTimer::start(AEffGUIEditor* owner)
{
    editor = owner;
}

void EditorIdleTimer::stop()
{
    editor = nullptr;
    timerId = 0;
}
