#pragma once
// The editor window on Windows: a child window of the host's window, drawn double-buffered with
// GDI+ (the same image back buffer as offscreen, copied to the window). The host's message loop
// delivers the window's messages; nothing here pumps messages or runs a thread.
#include "gdipluscontext.h"
#include <memory>

namespace VSTGUI
{

class Win32Frame : public IPlatformFrame
{
public:
    // Null when the parent is not a window or the window cannot be made.
    static std::unique_ptr<Win32Frame> create(IPlatformFrameCallback* callback, const CRect& size,
                                              void* parentWindow, double scale = 1.0);
    ~Win32Frame() override;

    // The DPI of `window` (the system's where the process is not DPI aware) with 96 as 1, in
    // steps of 0.25 within 1 .. 3.
    static double windowScaleFactor(void* window);

    double getScaleFactor() const override;
    bool setScaleFactor(double scale) override;

    void invalidRect(const CRect& rect) override;
    // Messages reach the window procedure through the host's own message loop.
    void processEvents() override {}
    void update() override;
    void setTextInputActive(bool active) override;
    bool readPixels(PixelImage& out) override;
    void* getNativeWindow() const override;
    // The host's top-level window that holds ours: the owner of dialogs.
    void* getTopLevelWindow() const override;

    // The window procedure's state; it lives as long as a message of the window is handled, so a
    // frame closed from inside one of its own events (a host closing the editor while a modal
    // dialog runs) leaves nothing dangling.
    struct Window;

private:
    explicit Win32Frame(std::shared_ptr<Window> window);
    std::shared_ptr<Window> window;
};

} // namespace VSTGUI
