// Chooses the backend at run time among those built for this platform.
#include "cairo/cairocontext.h"
#include "offscreen/offscreenframe.h"
#if defined(ORV_TOOLKIT_X11)
#include "x11/x11frame.h"
#endif

namespace VSTGUI
{
namespace
{
PlatformType defaultType = kDefaultNative;
}

void setDefaultPlatformType(PlatformType type)
{
    defaultType = type;
}

std::unique_ptr<IPlatformFrame> createPlatformFrame(PlatformType type,
                                                    IPlatformFrameCallback* callback,
                                                    const CRect& size, void* parentWindow)
{
    if (type == kDefaultNative) type = defaultType;
    if (size.getWidth() <= 0 || size.getHeight() <= 0) return nullptr;
    if (type == kOffscreen) return std::make_unique<OffscreenFrame>(callback, size);
#if defined(ORV_TOOLKIT_X11)
    if (type == kDefaultNative || type == kX11EmbedWindowID)
        return X11Frame::create(callback, size, parentWindow);
#else
    (void)parentWindow;
#endif
    return nullptr;
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
