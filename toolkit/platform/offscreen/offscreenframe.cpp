#include "offscreenframe.h"
#include <chrono>

namespace VSTGUI
{

OffscreenFrame::OffscreenFrame(IPlatformFrameCallback* cb, const CRect& size)
    : callback(cb), buffer(static_cast<int>(size.getWidth()), static_cast<int>(size.getHeight()))
{
}

void OffscreenFrame::update()
{
    cairo_region_destroy(buffer.render(callback));
}

uint32_t OffscreenFrame::getTicks() const
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool OffscreenFrame::readPixels(PixelImage& out)
{
    update();
    buffer.readPixels(out);
    return true;
}

} // namespace VSTGUI
