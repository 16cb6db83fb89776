#pragma once
// A frame without a window: it draws into an image in memory. Input comes from the caller,
// through the frame's own mouse and key methods.
#include "../cairo/cairocontext.h"

namespace VSTGUI
{

class OffscreenFrame : public IPlatformFrame
{
public:
    OffscreenFrame(IPlatformFrameCallback* callback, const CRect& size, double scale = 1.0);

    double getScaleFactor() const override { return buffer.getScale(); }
    bool setScaleFactor(double scale) override
    {
        buffer.setScale(scale);
        return true;
    }
    void invalidRect(const CRect& rect) override { buffer.invalidate(rect); }
    void processEvents() override {}
    void update() override;
    // Keys come from the caller, so there is no keyboard to listen to.
    void setTextInputActive(bool) override {}
    bool readPixels(PixelImage& out) override;
    void* getNativeWindow() const override { return nullptr; }

    cairo_surface_t* getSurface() const { return buffer.getSurface(); }

private:
    IPlatformFrameCallback* callback;
    CairoBackBuffer buffer;
};

} // namespace VSTGUI
