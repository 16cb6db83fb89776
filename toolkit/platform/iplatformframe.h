#pragma once
// The one interface between the portable toolkit and a window system: a window (or an image
// standing in for one), its drawing surface and its input events. Every backend
// (offscreen, X11, Win32) implements IPlatformFrame; the frame implements the callback.
#include "../cbuttonstate.h"
#include "../cgeometry.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace VSTGUI
{

class CDrawContext;

enum PlatformType : int32_t
{
    kHWND = 0,
    kX11EmbedWindowID = 5,
    // No window: an image in memory (tests, screenshots).
    kOffscreen = 100,
    kDefaultNative = -1
};

// What a backend calls on its frame. Positions are in frame coordinates: window pixels divided
// by the frame's scale factor.
class IPlatformFrameCallback
{
public:
    virtual ~IPlatformFrameCallback() = default;
    virtual void platformDrawRect(CDrawContext* context, const CRect& rect) = 0;
    virtual CMouseEventResult platformOnMouseDown(CPoint& where, const CButtonState& buttons) = 0;
    virtual CMouseEventResult platformOnMouseMoved(CPoint& where, const CButtonState& buttons) = 0;
    virtual CMouseEventResult platformOnMouseUp(CPoint& where, const CButtonState& buttons) = 0;
    virtual CMouseEventResult platformOnMouseExited(CPoint& where, const CButtonState& buttons) = 0;
    virtual bool platformOnMouseWheel(const CPoint& where, const CMouseWheelAxis& axis,
                                      const float& distance, const CButtonState& buttons) = 0;
    virtual int32_t platformOnKeyDown(VstKeyCode& key) = 0;
    virtual int32_t platformOnKeyUp(VstKeyCode& key) = 0;
    // The window lost the keyboard focus that text input asked for.
    virtual void platformOnFocusLost() = 0;
    // The desktop's scale around the window changed (it moved to another screen).
    virtual void platformOnScaleChanged() {}
};

// Pixels read back from a frame: 0xRRGGBB per pixel (alpha dropped), row-major.
struct PixelImage
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

class IPlatformFrame
{
public:
    virtual ~IPlatformFrame() = default;
    // Window pixels per frame coordinate unit. The window is the frame's size times this (rounded
    // to whole pixels); drawing goes through a context scaled by it.
    virtual double getScaleFactor() const { return 1.0; }
    // Resizes the window and its drawing surface for a new factor and marks everything for
    // redrawing. False when the backend cannot.
    virtual bool setScaleFactor(double) { return false; }
    // Marks a rectangle (frame coordinates) for redrawing at the next update().
    virtual void invalidRect(const CRect& rect) = 0;
    // Handles the window system's pending events without blocking (they reach the callback).
    virtual void processEvents() = 0;
    // Redraws what is invalid through the callback and shows it.
    virtual void update() = 0;
    // Keyboard input is listened to only while a text field edits.
    virtual void setTextInputActive(bool active) = 0;
    // What the window shows now, in window pixels.
    virtual bool readPixels(PixelImage& out) = 0;
    // The native window (X11 window id, HWND), or null.
    virtual void* getNativeWindow() const = 0;
    // The top-level window the native window sits in (the host's window that the window manager
    // handles), which dialogs are attached to; null without a window. Where a dialog's owner may
    // be any window of the hierarchy, the native window itself.
    virtual void* getTopLevelWindow() const { return getNativeWindow(); }
    // A file descriptor that becomes readable when window-system events wait (a host's run loop
    // watches it and then calls for processEvents), or -1 where the backend has none.
    virtual int eventFileDescriptor() const { return -1; }
};

// A decoded image in the platform's own form.
class IPlatformBitmap
{
public:
    virtual ~IPlatformBitmap() = default;
    // In the image's own pixels.
    virtual CPoint getSize() const = 0;
};

// The window size for a frame dimension at a scale factor.
inline int scaledPixels(CCoord size, double scale)
{
    const double v = size * scale + 0.5;
    return v < 1 ? 1 : static_cast<int>(v);
}

// The scale factors the toolkit draws at: anything outside 1 .. 3 (or not a number) is brought
// to the nearest end.
inline double clampScaleFactor(double scale)
{
    if (!(scale >= 1.0)) return 1.0;
    return scale > 3.0 ? 3.0 : scale;
}

// The scale the desktop asks for around `parentWindow` (Linux: GDK_SCALE, else the X resource
// Xft.dpi with 96 dpi as 1; Windows: the window's DPI with 96 as 1), in steps of 0.25 within
// 1 .. 3; 1 when nothing says otherwise.
double getSystemScaleFactor(void* parentWindow);

// Decodes PNG bytes; null on any error.
std::unique_ptr<IPlatformBitmap> createPlatformBitmapFromPng(const uint8_t* data, size_t size);

// A drawing context on a scratch surface, for measuring text (caller forgets it).
CDrawContext* createMeasureContext();

// Makes the backend for `type` (kDefaultNative: the platform's own); null when it cannot be
// made (no parent window, no X server).
std::unique_ptr<IPlatformFrame> createPlatformFrame(PlatformType type,
                                                    IPlatformFrameCallback* callback,
                                                    const CRect& size, void* parentWindow,
                                                    double scaleFactor = 1.0);

// The type kDefaultNative stands for. Tests and screenshot tools set kOffscreen.
void setDefaultPlatformType(PlatformType type);
PlatformType getDefaultPlatformType();

// The module (Windows: the HINSTANCE of the plug-in library) whose window class the backend
// registers and creates its windows with. Given by the library that embeds the toolkit; when it
// was never set, the backend uses the module its own code was linked into.
void setPlatformModuleHandle(void* module);
void* getPlatformModuleHandle();

} // namespace VSTGUI
