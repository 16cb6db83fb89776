// Windows backends: a child window of the host's window or an offscreen image, both drawn with
// GDI+.
#include "gdipluscontext.h"
#include "win32frame.h"

namespace VSTGUI
{
namespace
{
// A frame without a window: it draws into an image in memory (tests). Input comes from the
// caller, through the frame's own mouse and key methods.
class GdiplusOffscreenFrame : public IPlatformFrame
{
public:
    GdiplusOffscreenFrame(IPlatformFrameCallback* cb, const CRect& size, double scale)
        : callback(cb),
          buffer(static_cast<int>(size.getWidth()), static_cast<int>(size.getHeight()), scale)
    {
    }
    double getScaleFactor() const override { return buffer.getScale(); }
    bool setScaleFactor(double scale) override { return buffer.setScale(scale); }
    void invalidRect(const CRect& rect) override { buffer.invalidate(rect); }
    void processEvents() override {}
    void update() override { buffer.render(callback); }
    // Keys come from the caller, so there is no keyboard to listen to.
    void setTextInputActive(bool) override {}
    bool readPixels(PixelImage& out) override
    {
        update();
        buffer.readPixels(out);
        return buffer.isValid();
    }
    void* getNativeWindow() const override { return nullptr; }

private:
    IPlatformFrameCallback* callback;
    GdiplusBackBuffer buffer;
};
} // namespace

std::unique_ptr<IPlatformFrame> createPlatformFrame(PlatformType type,
                                                    IPlatformFrameCallback* callback,
                                                    const CRect& size, void* parentWindow,
                                                    double scaleFactor)
{
    if (type == kDefaultNative) type = getDefaultPlatformType();
    if (size.getWidth() <= 0 || size.getHeight() <= 0) return nullptr;
    scaleFactor = clampScaleFactor(scaleFactor);
    if (type == kOffscreen)
        return std::make_unique<GdiplusOffscreenFrame>(callback, size, scaleFactor);
    if (type == kDefaultNative || type == kHWND)
        return Win32Frame::create(callback, size, parentWindow, scaleFactor);
    return nullptr;
}

double getSystemScaleFactor(void* parentWindow)
{
    return Win32Frame::windowScaleFactor(parentWindow);
}

std::unique_ptr<IPlatformBitmap> createPlatformBitmapFromPng(const uint8_t* data, size_t size)
{
    return GdiplusBitmap::fromPng(data, size);
}

namespace
{
// The scratch surface of measuring contexts: one pixel that nobody reads.
class MeasureContext : public GdiplusDrawContext
{
public:
    MeasureContext() : GdiplusDrawContext(PixelSurface{&pixel, 1, 1, 1}) {}

private:
    uint32_t pixel = 0;
};
} // namespace

CDrawContext* createMeasureContext()
{
    return new MeasureContext();
}

} // namespace VSTGUI
