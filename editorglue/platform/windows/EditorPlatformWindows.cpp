// Windows: OLE for as long as an editor object exists, and the frame's idle driven by a 50 ms
// timer on the editor's window, so the editor stays live in hosts that never send effEditIdle.
#include "editorglue/AEffGUIEditor.h"
#include "editorglue/EditorPlatform.h"
#include "plugin/PluginEntry.h"

// windows.h first: the headers below build on it.
#include <windows.h>

#include <ole2.h>

EditorPlatformScope::EditorPlatformScope()
{
    // The toolkit registers its window class and makes its windows with the library's handle.
    if (hInstance) VSTGUI::setPlatformModuleHandle(hInstance);
    // A thread already set up for COM in another mode (the host's choice) refuses; then there
    // is nothing of ours to undo.
    const HRESULT result = OleInitialize(nullptr);
    initialized = SUCCEEDED(result);
    thread = GetCurrentThreadId();
}

EditorPlatformScope::~EditorPlatformScope()
{
    // Each successful OleInitialize is balanced on its own thread, and only that: ending OLE the
    // host set up, or on a thread that never began it, would pull it away from under the host.
    if (initialized && thread == GetCurrentThreadId()) OleUninitialize();
}

namespace
{
// The timer's id is the timer object itself: the callback finds its editor from it.
void CALLBACK idleTick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (auto* timer = reinterpret_cast<EditorIdleTimer*>(id)) timer->tick();
}
} // namespace

void EditorIdleTimer::start(AEffGUIEditor* owner)
{
    stop();
    VSTGUI::CFrame* frame = owner ? owner->getFrame() : nullptr;
    VSTGUI::IPlatformFrame* platform = frame ? frame->getPlatformFrame() : nullptr;
    auto hwnd = static_cast<HWND>(platform ? platform->getNativeWindow() : nullptr);
    // A frame without a window (offscreen) has no timer: its owner drives idle.
    if (!hwnd) return;
    if (!SetTimer(hwnd, reinterpret_cast<UINT_PTR>(this), 50, idleTick)) return;
    editor = owner;
    window = hwnd;
    timerId = reinterpret_cast<uintptr_t>(this);
}

void EditorIdleTimer::stop()
{
    // KillTimer also drops a tick already waiting in the queue. A window the host has destroyed
    // took its timers with it.
    if (timerId && window && IsWindow(static_cast<HWND>(window)))
        KillTimer(static_cast<HWND>(window), timerId);
    editor = nullptr;
    window = nullptr;
    timerId = 0;
}

void EditorIdleTimer::tick()
{
    // The editor ignores a nested idle (a dialog's message loop inside one of its events).
    if (editor) editor->idle();
}
