// The strip's controls each draw one image of a bitmap whose images are stacked vertically.
#pragma once

#include "cbitmap.h"

// Draws image `image` (0 = top) of `bitmap`, fully opaque, into `size`.
inline void drawSubImage(VSTGUI::CBitmap* bitmap, VSTGUI::CDrawContext* context,
                         const VSTGUI::CRect& size, const VSTGUI::CPoint& offset,
                         VSTGUI::CCoord heightOfOneImage, int image)
{
    if (bitmap)
        bitmap->draw(context, size, VSTGUI::CPoint(offset.x, offset.y + image * heightOfOneImage),
                     1.f);
}
