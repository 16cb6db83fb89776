// What the platform adds around an editor object and its window. Windows initialises OLE for
// as long as an editor object exists (its windows use OLE drag and drop) and drives the frame's
// idle with a window timer while the window is open. Linux needs neither: the host's effEditIdle
// drives idle there. One implementation file per platform.
#pragma once

#include <cstdint>

class AEffGUIEditor;

// Held by every editor object for its whole life.
class EditorPlatformScope
{
public:
    EditorPlatformScope();
    ~EditorPlatformScope();
    EditorPlatformScope(const EditorPlatformScope&) = delete;
    EditorPlatformScope& operator=(const EditorPlatformScope&) = delete;
};

// Calls the editor's idle every 50 ms on the window's thread while it runs, where the platform
// has such a timer. start() is called when the window has opened, stop() before it closes;
// both may be called more than once.
class EditorIdleTimer
{
public:
    EditorIdleTimer() = default;
    ~EditorIdleTimer() { stop(); }
    EditorIdleTimer(const EditorIdleTimer&) = delete;
    EditorIdleTimer& operator=(const EditorIdleTimer&) = delete;

    void start(AEffGUIEditor* editor);
    void stop();

private:
    AEffGUIEditor* editor = nullptr;
    uintptr_t timerId = 0;
};
