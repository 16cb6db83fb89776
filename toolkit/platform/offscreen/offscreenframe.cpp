#include "offscreenframe.h"

namespace VSTGUI
{

OffscreenFrame::OffscreenFrame(IPlatformFrameCallback* cb, const CRect& size, double scale)
    : callback(cb),
      buffer(static_cast<int>(size.getWidth()), static_cast<int>(size.getHeight()), scale)
{
}

void OffscreenFrame::update()
{
    cairo_region_destroy(buffer.render(callback));
}

bool OffscreenFrame::readPixels(PixelImage& out)
{
    update();
    buffer.readPixels(out);
    return true;
}

} // namespace VSTGUI
