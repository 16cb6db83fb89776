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
                                            void* parentWindow, double scale = 1.0);
    ~X11Frame() override;

    // The desktop's scale: GDK_SCALE when set, else the Xft.dpi resource of the display (96 dpi
    // is 1), in steps of 0.25 within 1 .. 3; 1 without either or without a server.
    static double systemScaleFactor(void* parentWindow);
    // The scale an X resource string (the RESOURCE_MANAGER property) gives through Xft.dpi;
    // 0 when it names none.
    static double scaleFromResources(const char* resources, size_t length);
    // `scale` in steps of 0.25 within 1 .. 3.
    static double snapScaleFactor(double scale);

    double getScaleFactor() const override { return buffer.getScale(); }
    bool setScaleFactor(double scale) override;

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
    X11Frame(IPlatformFrameCallback* callback, int width, int height, double scale);
    bool init(xcb_window_t parent);
    // The server-side copy of the picture: the window's background, so that the server itself
    // repaints every exposed part, also while the host sends no idle.
    bool makeBackground();
    CPoint framePoint(int x, int y) const;
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
    uint8_t depth = 0;
    xcb_pixmap_t background = 0;
    cairo_surface_t* windowSurface = nullptr; // draws into `background`
    uint32_t lastEventTime = 0;
    DoubleClickDetector clicks;
    KeyDecoder keys;
    bool textInput = false;
    bool buttonDown = false;
};

} // namespace VSTGUI
