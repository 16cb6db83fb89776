#pragma once
#include <atomic>
// The editor window on X11: an xcb child window of the host's window. The frame draws into the
// same image back buffer as offscreen and copies the redrawn parts to the window. Events are
// drained without blocking from the editor's idle; no threads.
#include "../cairo/cairocontext.h"
#include "keydecode.h"
#include <xcb/xcb.h>

namespace VSTGUI
{

// Tells a double click from two clicks, by the server's timestamps.
class DoubleClickDetector
{
public:
    static constexpr uint32_t kMaxInterval = 400; // ms
    static constexpr int kMaxDistance = 4;        // px

    // A press; true when it completes a double (or further) click.
    bool press(int button, int x, int y, uint32_t time);
    // The pointer moved with the button down: a drag ends the sequence.
    void motion(int x, int y);

private:
    int lastButton = 0;
    int lastX = 0;
    int lastY = 0;
    uint32_t lastTime = 0;
    int count = 0;
};

class X11Frame : public IPlatformFrame
{
public:
    // Null when there is no X server or the parent window does not exist.
    static std::unique_ptr<X11Frame> create(IPlatformFrameCallback* callback, const CRect& size,
                                            void* parentWindow);
    ~X11Frame() override;

    // X errors that frames of this process have received (a diagnostic for tests: a well-behaved
    // editor causes none).
    static uint32_t errorsSeen() { return errorCount.load(); }

    void invalidRect(const CRect& rect) override { buffer.invalidate(rect); }
    void processEvents() override;
    void update() override;
    void setTextInputActive(bool active) override;
    bool readPixels(PixelImage& out) override;
    void* getNativeWindow() const override;
    void* getTopLevelWindow() const override;
    int eventFileDescriptor() const override;

private:
    X11Frame(IPlatformFrameCallback* callback, int width, int height);
    bool init(xcb_window_t parent);
    void handleEvent(xcb_generic_event_t* event);
    void present(cairo_region_t* region);
    static int32_t modifiers(uint16_t state);

    static inline std::atomic<uint32_t> errorCount{0};

    IPlatformFrameCallback* callback;
    CairoBackBuffer buffer;
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_window_t savedFocus = 0;
    xcb_visualtype_t* visual = nullptr;
    cairo_surface_t* windowSurface = nullptr;
    cairo_region_t* exposeRegion = nullptr;
    uint32_t lastEventTime = 0;
    DoubleClickDetector clicks;
    KeyDecoder keys;
    bool textInput = false;
    bool buttonDown = false;
};

} // namespace VSTGUI
