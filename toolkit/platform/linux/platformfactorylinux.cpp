// Linux backends: an xcb child window or an offscreen image, both drawn with cairo.
#include "../cairo/cairocontext.h"
#include "../offscreen/offscreenframe.h"
#include "../x11/x11frame.h"

namespace VSTGUI
{

std::unique_ptr<IPlatformFrame> createPlatformFrame(PlatformType type,
                                                    IPlatformFrameCallback* callback,
                                                    const CRect& size, void* parentWindow,
                                                    double scaleFactor)
{
    if (type == kDefaultNative) type = getDefaultPlatformType();
    if (size.getWidth() <= 0 || size.getHeight() <= 0) return nullptr;
    scaleFactor = clampScaleFactor(scaleFactor);
    if (type == kOffscreen) return std::make_unique<OffscreenFrame>(callback, size, scaleFactor);
    if (type == kDefaultNative || type == kX11EmbedWindowID)
        return X11Frame::create(callback, size, parentWindow, scaleFactor);
    return nullptr;
}

double getSystemScaleFactor(void* parentWindow)
{
    return X11Frame::systemScaleFactor(parentWindow);
}

std::unique_ptr<IPlatformBitmap> createPlatformBitmapFromPng(const uint8_t* data, size_t size)
{
    return CairoBitmap::fromPng(data, size);
}

CDrawContext* createMeasureContext()
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    auto* context = new CairoDrawContext(s);
    cairo_surface_destroy(s); // the context's cairo_t keeps the surface alive
    return context;
}

} // namespace VSTGUI
